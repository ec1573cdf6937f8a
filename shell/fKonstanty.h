#pragma once
// The constants window: the program's table of user constants, written in
// expressions with a leading "$" ("$pi"). The controller checks every "$"
// name against this list and the expression preprocessing substitutes the
// values (the window is the TConstantItems that ConstantItems points at).
//
// "const.dat" in the program folder holds one constant per line:
// ID "#" description "#" value "#" unit (CR LF line ends, no header). The list
// is read whenever the window reads its texts with a language file loaded,
// and written only when the user closes the window after a change.
#include "core/uCommon.h"
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

#include <QString>

class QTreeWidget;
namespace Ui {
class TkonstantyFrm;
}

// Set by every change of the list (add, modify, remove); never reset.
extern bool ConstantsChanged;

// One line of "const.dat".
struct TConstantLine
{
    QString Id;
    QString Description;
    QString Value;
    QString Unit;
};
// The fields of a line split at "#": missing ones are empty, anything after
// a fourth "#" is dropped, and "." and "," of the value become the current
// decimal separator.
TConstantLine ReadConstantLine(const QString &line);
// The line of a constant: its four fields joined by "#".
QString ConstantLineText(const TConstantLine &constant);

class TkonstantyFrm : public KTandorelForm, public TConstantItems
{
public:
    explicit TkonstantyFrm(QWidget *parent = nullptr);
    ~TkonstantyFrm() override;

    // Empties the list, reads FileName() when it exists (values take the
    // current decimal separator), then appends "$pi" and "$e" when no item
    // has that exact ID. A file far too large is refused with a message and
    // then never written.
    void NacitajKonstanty();
    // Writes FileName() (one line per item, replaced
    // atomically) when the list is not empty and ConstantsChanged is set.
    // Raises EFCreateError when the file cannot be written.
    void UlozKonstanty();

    void TranslateTexts() override;

    // TConstantItems: the items' IDs and values in list order.
    int Count() const override;
    QString Identifier(int index) const override;
    QString Value(int index) const override;

    // The list view (columns ID, description, value, unit), for tests.
    QTreeWidget *ListView1() const;

    QString ConstantFile;
    // The file ConstantFile names inside the program folder (const.dat when
    // it would lead out of it).
    QString FileName() const;
    QString msgDeletingConstant;
    QString msgReallyDelete;
    QString msgRewritingConstant;
    QString msgReallyRewrite;
    QString msgLudolphsNumber;
    QString msgEulerNumber;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void AddItem(const QString &id, const QString &description, const QString &value, const QString &unit);
    void BtnPouzitClick();
    void BtnNovaClick();
    void BtnOdstranitClick();
    void FitColumns();

    Ui::TkonstantyFrm *ui;
    TTranslationTable m_texts;
    bool m_fileRefused = false; // the file was too large to read
};
