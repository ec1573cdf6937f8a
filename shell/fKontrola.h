#pragma once
// The self-test window: runs a list of test calculations ('expression=
// expected', the expected text optionally followed by "[" and 'name=value;'
// assignments and "]") through the calculation road and lists those whose
// result differs. Its texts are fixed.
//
// A run leaves the calculator as it was: the previous answer, the last
// expression, the history, the clipboard, the display and the user's
// variables are the same afterwards. Each test starts from the user's
// variables and adds its own assignments.
#include "shell/uTandorelForm.h"

#include <QList>
#include <QPair>
#include <QStringList>

namespace Ui {
class TkontrolaFrm;
}
class TValueListEditor;

// ------------------------------------------------------------- test lists

// One test line taken apart.
struct TSelfTest
{
    QString Expression; // before the first "="
    QString Expected;   // after it, up to a "["
    // From the "[" on, empty without one; its assignments are valid when
    // ParseVariableList reads them.
    QString Assignments;
    bool AssignmentsValid = true;
    QList<QPair<QString, QString>> Variables;
};
TSelfTest ParseTest(const QString &line);

// The assignments of the text after "[": pairs 'name=value;' and then "]"
// (blanks around the parts allowed). False, with Pairs unusable, when
// anything else stands there or a name is no variable name.
bool ParseVariableList(const QString &text, QList<QPair<QString, QString>> &pairs);

// The lines of a test list file: UTF-8 without its byte-order mark, any
// line ends, the empty lines at the end dropped. A byte that is not UTF-8
// is kept (DecodeUtf8Lossless), so that saving writes it back.
QStringList ReadTestList(const QByteArray &bytes);
// A test list file: every line followed by CR LF (behind a byte-order mark
// when the first line begins with one, which reading would take off).
QByteArray TestListBytes(const QStringList &lines);

class TkontrolaFrm : public KTandorelForm
{
public:
    explicit TkontrolaFrm(QWidget *parent = nullptr);
    ~TkontrolaFrm() override;

    // Fixed texts: nothing to translate.
    void TranslateTexts() override {}

    // Runs every test of the list and shows the failed ones; an empty list
    // does nothing.
    void kontrolaBtnClick();
    // Loads / saves the test list (one test per line, UTF-8).
    bool LoadTests(const QString &fileName);
    bool SaveTests(const QString &fileName);

    // The failure lines of Tests ('expression=expected' each; lines with an
    // empty expression are skipped), each the whole test line, "=" and what
    // went wrong: "Chyba : " + error code, "Nespravny vysledok : " + the
    // shown result, or "Nespravne premenne : " + the assignments.
    static QStringList RunTests(const QStringList &tests);

    TValueListEditor *vyrazyVle() const;
    TValueListEditor *nespravneVle() const;

private:
    void nacitajBtnClick();
    void ulozBtnClick();
    void UpdateCount();
    void TestListEdited();
    QStringList TestLines() const;

    Ui::TkontrolaFrm *ui;
    // The list as last counted: the grid also reports cells it merely
    // creates (when shown, for instance), which change no test.
    QStringList m_countedLines;
};
