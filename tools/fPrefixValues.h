#pragma once
// The SI prefixes with their powers of ten. Using a prefix inserts its power
// ("e3" for kilo) at the caret of the main input; where no digit stands
// before the caret the power gets a leading 1 ("1e3"), so that it is still a
// number, and after a number that has its power of ten already it is
// multiplied in ("1e6*1e-6"). Powers of ten only make sense in the decimal system, so Use works
// only there.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

class QPushButton;
class TValueListEditor;
namespace Ui {
class TprefixValuesFrm;
}

class TprefixValuesFrm : public KTandorelForm
{
    Q_OBJECT

public:
    explicit TprefixValuesFrm(QWidget *parent = nullptr);
    ~TprefixValuesFrm() override;

    void TranslateTexts() override;

    // The selected row's power into the main input (nothing without a
    // selected row or outside the decimal system).
    void UsePrefix();
    // Use is enabled exactly in the decimal system.
    void UpdateUseEnabled();

    TValueListEditor *prefixValuesVle() const;
    QPushButton *useBtn() const;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Ui::TprefixValuesFrm *ui;
    TTranslationTable m_texts;
};
