#include "tools/kombinatorika.h"
#include "ui_kombinatorika.h"

#include "core/uResultFormater.h"
#include "platform/SysUtils.h"
#include "shell/uAccessibility.h"
#include "shell/uGUIManager.h"
#include "tools/model/uCombinatorics.h"
#include "tools/uToolControls.h"

TkombinatorikaFrm::TkombinatorikaFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TkombinatorikaFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, size(), false);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm()) {
        SetMainForm(main);
        PlaceBesideMainForm(DockCentred);
    }
    for (QLineEdit *edit : {ui->EdtN, ui->EdtK})
        HandleEditKeys(edit, TEditTyping::Digits, [this] { vypocetBtnClick(); });
    HandleEditKeys(ui->EdtVysledok, TEditTyping::Any);
    for (QRadioButton *choice :
         {ui->RadioButton1, ui->RadioButton2, ui->RadioButton3, ui->RadioButton4, ui->RadioButton5, ui->RadioButton6})
        HandleEnterKey(choice, [this] { vypocetBtnClick(); });
    connect(ui->vypocetBtn, &QPushButton::clicked, this, [this] { vypocetBtnClick(); });
    connect(ui->closeBtn, &QPushButton::clicked, this, [this] { close(); });

    m_texts.Caption(this, "Combinatorics", "Caption")
        .Text(ui->vypocetBtn, "Common", "Calculate")
        .Text(ui->closeBtn, "Common", "Close")
        .Text(ui->Label25, "Combinatorics", "Result")
        .Text(ui->RadioButton1, "Combinatorics", "CombinatorialNumber")
        .Text(ui->RadioButton2, "Combinatorics", "VariationWithoutRepetition")
        .Text(ui->RadioButton3, "Combinatorics", "VariationWithRepetition")
        .Text(ui->RadioButton4, "Combinatorics", "CombinationWithoutRepetition")
        .Text(ui->RadioButton5, "Combinatorics", "CombinationWithRepetition")
        .Text(ui->RadioButton6, "Combinatorics", "PermutationWithoutRepetition")
        .Field(&KNotEntered, "Combinatorics", "KNotEntered", QStringLiteral("Enter k"))
        .Field(&NNotEntered, "Combinatorics", "NNotEntered", QStringLiteral("Enter n"))
        .Field(&InvalidInput, "Combinatorics", "InvalidInput", QStringLiteral("Invalid input"));
}

TkombinatorikaFrm::~TkombinatorikaFrm()
{
    delete ui;
}

void TkombinatorikaFrm::TranslateTexts()
{
    m_texts.Translate();
    if (m_shownMessage)
        ShowMessage(m_shownMessage);
}

void TkombinatorikaFrm::ShowResultText(const QString &text)
{
    m_shownMessage = nullptr;
    UseNormalTextColour(ui->EdtVysledok);
    ui->EdtVysledok->setText(text);
    ui->EdtVysledok->setCursorPosition(0);
}

void TkombinatorikaFrm::ShowMessage(const QString *message)
{
    m_shownMessage = message;
    SetTextColour(ui->EdtVysledok, Qt::red);
    ui->EdtVysledok->setText(*message);
    ui->EdtVysledok->setCursorPosition(0);
}

void TkombinatorikaFrm::vypocetBtnClick()
{
    if (ui->EdtN->text().isEmpty()) {
        ui->EdtN->setFocus();
        ShowMessage(&NNotEntered);
        return;
    }
    if (ui->EdtK->text().isEmpty()) {
        ui->EdtK->setFocus();
        ShowMessage(&KNotEntered);
        return;
    }
    const struct
    {
        QRadioButton *Choice;
        TCombinatoricsKind Kind;
    } kinds[] = {
        {ui->RadioButton1, TCombinatoricsKind::CombinatorialNumber},
        {ui->RadioButton2, TCombinatoricsKind::VariationWithoutRepetition},
        {ui->RadioButton3, TCombinatoricsKind::VariationWithRepetition},
        {ui->RadioButton4, TCombinatoricsKind::CombinationWithoutRepetition},
        {ui->RadioButton5, TCombinatoricsKind::CombinationWithRepetition},
        {ui->RadioButton6, TCombinatoricsKind::PermutationWithoutRepetition},
    };
    int n = 0, k = 0;
    Extended result = 0;
    bool ok = TryStrToInt(ui->EdtN->text(), n) && TryStrToInt(ui->EdtK->text(), k);
    if (ok) {
        ok = false;
        for (const auto &kind : kinds)
            if (kind.Choice->isChecked()) {
                ok = CombinatoricsValue(kind.Kind, n, k, result);
                break;
            }
    }
    if (ok)
        ShowResultText(TResultFormater::FormatResult(result));
    else
        ShowMessage(&InvalidInput);
}
