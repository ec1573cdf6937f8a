#include "shell/fUpravyKonstant.h"
#include "ui_fUpravyKonstant.h"

#include "core/uCommon.h"
#include "platform/SysUtils.h"
#include "shell/uProgramTranslator.h"

#include <QKeyEvent>
#include <QMessageBox>

namespace {

TuprKonstFrm *TheDialog = nullptr;

void Warn(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

TuprKonstFrm *TuprKonstFrm::Instance()
{
    if (!TheDialog) {
        TheDialog = new TuprKonstFrm();
        TheDialog->TranslateTexts();
    }
    return TheDialog;
}

bool TuprKonstFrm::Exists()
{
    return TheDialog != nullptr;
}

void TuprKonstFrm::FreeInstance()
{
    delete TheDialog;
    TheDialog = nullptr;
}

TuprKonstFrm::TuprKonstFrm(QWidget *parent) : QDialog(parent), ui(new Ui::TuprKonstFrm)
{
    ui->setupUi(this);
    m_texts.Caption(this, "ConstantForm", "AddModifyAConstant")
        .Text(ui->Label1, "ConstantForm", "ID")
        .Text(ui->Label2, "ConstantForm", "Description")
        .Text(ui->Label3, "Common", "Value")
        .Text(ui->Label4, "ConstantForm", "Unit")
        .Field(&msgIdNotEntered, "ConstantForm", "IdNotEntered", QStringLiteral("You must enter a valid ID"))
        .Field(&msgIncorrectValue, "ConstantForm", "IncorrectValue", QStringLiteral("Incorrect constant value"))
        .Text(ui->okBtn, "Common", "ok")
        .Text(ui->zrusitBtn, "Common", "cancel");
    ui->okBtn->setAutoDefault(false);
    ui->zrusitBtn->setAutoDefault(false);
    for (QLineEdit *edit : {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4})
        edit->installEventFilter(this);
    connect(ui->okBtn, &QPushButton::clicked, this, [this] { okBtnClick(); });
    connect(ui->zrusitBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(ui->Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    // "#" separates the fields of the constants file; pasting cannot bring one in.
    for (QLineEdit *edit : {ui->Edit3, ui->Edit4})
        connect(edit, &QLineEdit::textEdited, this, [edit](const QString &text) {
            if (text.contains(u'#')) {
                const int caret = edit->cursorPosition();
                QString clean = text;
                clean.remove(u'#');
                edit->setText(clean);
                edit->setCursorPosition(qMin(caret, int(clean.size())));
            }
        });
}

TuprKonstFrm::~TuprKonstFrm()
{
    delete ui;
    if (TheDialog == this)
        TheDialog = nullptr;
}

QLineEdit *TuprKonstFrm::Edit1() const
{
    return ui->Edit1;
}
QLineEdit *TuprKonstFrm::Edit2() const
{
    return ui->Edit2;
}
QLineEdit *TuprKonstFrm::Edit3() const
{
    return ui->Edit3;
}
QLineEdit *TuprKonstFrm::Edit4() const
{
    return ui->Edit4;
}

void TuprKonstFrm::TranslateTexts()
{
    m_texts.Translate();
}

void TuprKonstFrm::okBtnClick()
{
    if (ui->Edit1->text().size() < 2) {
        Warn(this, windowTitle(), msgIdNotEntered);
        ui->Edit1->setFocus();
        return;
    }
    Extended value;
    if (TryStrToFloat(ui->Edit2->text(), value)) {
        accept();
        return;
    }
    Warn(this, windowTitle(), msgIncorrectValue);
    ui->Edit2->setFocus();
}

void TuprKonstFrm::Edit1Change()
{
    const QSignalBlocker block(ui->Edit1);
    QString text = ui->Edit1->text();
    if (!text.startsWith(u'$')) {
        text.prepend(u'$');
        ui->Edit1->setText(text);
        ui->Edit1->setCursorPosition(1);
    }
    if (text.size() > 1 && text.endsWith(u'$')) {
        text.chop(1);
        ui->Edit1->setText(text);
    }
}

bool TuprKonstFrm::Edit1KeyPress(QChar key)
{
    return key == u'\b' || key == u'\t' || (key >= u'0' && key <= u'9') || (key >= u'a' && key <= u'z');
}

bool TuprKonstFrm::Edit2KeyPress(QChar &key)
{
    MapKeyboardChar(key, true);
    key = key.toUpper();
    const QString text = ui->Edit2->text();
    const int caret = ui->Edit2->cursorPosition();
    if (key == u'\b' || key == u'\t' || key == u'.' || (key >= u'0' && key <= u'9'))
        return true;
    if (key == u',')
        return !text.contains(u',');
    if (key == u'E')
        return !text.contains(u'E');
    if (key == u'-') {
        if (caret == 0)
            return !text.startsWith(u'-');
        if (text.at(caret - 1) == u'E')
            return !(caret < text.size() && text.at(caret) == u'-');
        return false;
    }
    return false;
}

bool TuprKonstFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const QString typed = key->text();
    // Keys that type nothing (arrows, Delete, Home...) are not filtered.
    if (typed.size() != 1)
        return QDialog::eventFilter(watched, event);
    const QChar c = typed.at(0);
    // Enter and Esc belong to the dialog's buttons.
    if (c == u'\r' || c == u'\n' || c == u'\x1b')
        return QDialog::eventFilter(watched, event);
    if (watched == ui->Edit1)
        return !Edit1KeyPress(c);
    if (watched == ui->Edit2) {
        QChar mapped = c;
        if (!Edit2KeyPress(mapped))
            return true;
        if (mapped != c) {
            ui->Edit2->insert(QString(mapped));
            return true;
        }
        return false;
    }
    if (watched == ui->Edit3 || watched == ui->Edit4)
        return c == u'#';
    return QDialog::eventFilter(watched, event);
}
