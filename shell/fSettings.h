#pragma once
// The preferences window: the user settings, each written the moment its
// control is clicked, and the start-up calculator state (state instance 1),
// which the window hands back when it is closed and at program exit.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

class QButtonGroup;
namespace Ui {
class TsettingsFrm;
}

class TsettingsFrm : public KTandorelForm, public IStartupStateEditor
{
public:
    explicit TsettingsFrm(QWidget *parent = nullptr);
    ~TsettingsFrm() override;

    void TranslateTexts() override;

    // Every control from the settings and from state instance 1. The
    // controls are set quietly; what their handlers would set in motion
    // (run-time decimal separator, imaginary unit, greying of the
    // start-up page) is then done once, explicitly.
    void LoadControls() override;
    // The start-up page's controls into state instance 1.
    void StoreDefaultState() override;
    // RememberLast greys the start-up page, all but its own check box.
    void UpdateDefaultStateEnabled(bool rememberLast);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void ConnectSettings();
    void ListTexts();
    // Sizes the window for the texts it now has, on every page.
    void FitToTexts();
    void DecimalSeparatorClick(int mode);
    void ComplexNumberFormatClick(int format);

    Ui::TsettingsFrm *ui;
    QButtonGroup *m_insertingGroup;
    QButtonGroup *m_notationGroup;
    QButtonGroup *m_complexFormatGroup;
    QButtonGroup *m_separatorGroup;
    QButtonGroup *m_numberSetGroup;
    QButtonGroup *m_angleModeGroup;
    QButtonGroup *m_numberSystemGroup;
    TTranslationTable m_texts;
};
