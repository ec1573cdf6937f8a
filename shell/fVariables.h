#pragma once
// The variables window: the user variables as an editable grid of names and
// values. The grid mirrors the variable manager while the window is active:
// it is filled at every activation and stored back when the window is left,
// when the grid loses the focus and before any calculation started from here.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"
#include "shell/uValueListEditor.h"

namespace Ui {
class TVariablesFrm;
}

class TVariablesFrm : public KTandorelForm
{
public:
    explicit TVariablesFrm(QWidget *parent = nullptr);
    ~TVariablesFrm() override;

    // Grid := the manager's lines (at least one row, empty, for typing).
    void FillFromManager();
    // The manager is emptied, then every grid row with a name is merged into
    // it as "name=value" (a value still being typed counts).
    void StoreToManager();

    void TranslateTexts() override;

    // The grid, for tests.
    TValueListEditor *variablesVle() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void Button3Click();
    void refreshBtnClick();
    void clearAllBtnClick();
    bool GridHasFocus(QWidget *widget) const;

    Ui::TVariablesFrm *ui;
    TTranslationTable m_texts;
    QMetaObject::Connection m_focusWatch;
    bool m_filling = false;
};
