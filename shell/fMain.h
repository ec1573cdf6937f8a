#pragma once
// The calculator's main window: the one-line input with the bracket-pair
// highlight, the result display with the error label and the change
// warning, the memory display, the keypad and mode buttons, the menus and
// the status bar. The controller and the registry reach it only through
// ITandorelMainForm.
#include "shell/uTandorelMainForm.h"
#include "shell/uTranslationTable.h"
#include "shell/uUpDown.h"

#include <QColor>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTextCharFormat>
#include <QThread>

#include <atomic>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QMenu;
class QTextEdit;
class QToolButton;
class TPrvocisla;

namespace Ui {
class TMainFrm;
}

class TMainFrm;

// A keypad key. The main window sizes every key for the widest caption, and
// the key reports that size to the layout as its own: the layout thus never
// has a key lay out its caption (with the fallback fonts that symbols such
// as pi or a cube root ask for) before the window first paints.
class TKeyButton : public QPushButton
{
public:
    using QPushButton::QPushButton;
    QSize sizeHint() const override { return minimumSize(); }
    QSize minimumSizeHint() const override { return minimumSize(); }
};

// Translates the hints of the main window's controls in a worker thread; the
// controls are read and written only on the main thread.
class TVlaknoPrekladaniaHintov : public QThread
{
public:
    struct THintItem
    {
        QPointer<QWidget> Control;
        QString Key;
        QString Hint; // the English hint, read on the main thread
    };
    TVlaknoPrekladaniaHintov(TMainFrm *form, QList<THintItem> items);
    void Stop() { m_stop = true; }

protected:
    void run() override;

private:
    // Writes a translated hint back, on the main thread.
    void TranslateHint(const THintItem &item, const QString &translated);

    QPointer<TMainFrm> m_form;
    QList<THintItem> m_items;
    std::atomic<bool> m_stop{false};
};

class TMainFrm : public QMainWindow, public ITandorelMainForm
{
public:
    explicit TMainFrm(QWidget *parent = nullptr);
    ~TMainFrm() override;

    // ------------------------------------------------- ITandorelMainForm
    int GetTop() override;
    int GetLeft() override;
    int GetHeight() override;
    int GetWidth() override;
    void DecimalSeparatorChanged() override;
    void UpdateImaginaryUnitCaptions() override;
    void ApplySettings() override;
    void RestoreState() override;
    void Show() override;
    void SetCaption(const QString &text) override;
    void TranslateTexts() override;
    void SetInput(const QString &text) override;
    QString GetInput() override;
    QString GetInputBeforeCaret() override;
    void InsertText(const QString &text) override;
    void ShowResult(const QString &text) override;
    void ShowError(const QString &text, int start, int end) override;
    void ClearError() override;
    void SetBackEnabled(bool enabled) override;
    void SetDecimals(int n) override;
    void SetAlwaysOnTop(bool onTop) override;
    void ShowUpdateAvailable() override;

    // ------------------------------------------------------------ keypad
    // The one insertion into the input: at the caret, replacing the
    // selection, or continuing the last calculation (CanContinue) as the
    // setting InsertAfterCalculation asks; IsPrefix puts Text before the
    // continued part (functions, "1/").
    void InsertIntoInput(const QString &text, bool canContinue, bool isPrefix);
    // Bold marks the innermost bracket pair around the caret; an open
    // bracket without partner is bold red.
    void ZvyrazniZatvorky(QTextEdit *edit);
    // Enables exactly the controls whose availability mask fits the number
    // set and numeral system.
    void UpdateButtonAvailability();
    void UpdateAngleUnit();

    // The online documentation address (a default on the maker's wiki host).
    QString DocumentationPage;
    // Steps the modulus from prime to prime.
    TPrvocisla *Primes = nullptr;
    QPointer<TVlaknoPrekladaniaHintov> HintThread;

    // The hint keys of the controls, in translation order.
    QList<TVlaknoPrekladaniaHintov::THintItem> HintItems() const;

    // Event handlers, named after the control and the event.
    void BtnRovnaSaClick();
    void BtnCClick();
    void BtnCEClick();
    void BtnJednoZmazClick();
    void BtnCiarkaClick();
    void BtnMSClick();
    void BtnMRClick();
    void BtnANSClick();
    void BtnAEClick();
    void BtnSpatClick();
    void BtnRanClick();
    void BtnSinClick(QAbstractButton *key);
    void BtnVelkostClick();
    void NahladVyrazuActExecute();
    void UpDownModuloChanging(int newPosition, int direction, bool &allowChange);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The result field shows a complex answer in its exponential form.
    bool ShowsExponentialForm() const;
    void FormCreate();
    void FormClose();
    void vstupRdtChange();
    bool vstupRdtKeyDown(QKeyEvent *event);
    bool vstupRdtKeyPress(QKeyEvent *event);
    void vstupRdtMouseUp();
    void PopupMenu1Popup(const QPoint &pos);
    void PopupMenu2Popup(const QPoint &pos);
    void ZmenHint(QWidget *control);
    void ObnovHint();
    void SetErrorText(const QString &text);
    // The controls named by their hints, and the naming.
    QList<QWidget *> HintNamedControls() const;
    void NameByHint(QWidget *control);
    void ConnectKeys();
    void ConnectModes();
    void ConnectMenus();
    // The menus', keys' and popup items' texts into Texts.
    void ListTexts();
    void NumberSetClick(int numberSet);
    void NumeralSystemClick(int system);
    void UpdateBoldCaptions();
    void SetModulusCaption(const QString &text);
    // The highlight for a caret one position left or right of where it is.
    void HighlightAt(int position);
    // The colours of the result area and of the input's text, from the
    // window's palette.
    void ApplyColours();
    QTextCharFormat RegularFormat() const;
    // The fonts of the input and the result, from the window's font.
    void ApplyDisplayFonts();
    QFont ResultFont() const;
    void ApplyResultFont();
    // Sizes every control for its text and the window for its controls.
    void FitLayout();
    void FitWindow();
    QSize DesignSize(QWidget *control);

    Ui::TMainFrm *ui;
    QButtonGroup *m_numberSetGroup;
    QButtonGroup *m_angleGroup;
    QButtonGroup *m_numeralGroup;
    QMenu *PopupMenu1;
    QMenu *PopupMenu2;
    TTranslationTable m_texts;
    // The input's text as last seen, so that a change of formatting alone
    // is not taken for an edit.
    QString m_lastPlainText;
    QList<QPointer<TVlaknoPrekladaniaHintov>> m_hintThreads;
    QHash<QWidget *, QSize> m_designSizes;
    // The input's text and the mark of a bracket left open.
    QColor m_inputInk = Qt::black;
    QColor m_openBracketInk = Qt::red;
    // The status bar's hint panel and the control whose hint it shows.
    QLabel *m_hintPanel = nullptr;
    QPointer<QWidget> m_hintShown;
    // The mode button whose toggle has just run its handler.
    QPointer<QAbstractButton> m_justToggled;
    // The font and captions the controls were last sized for.
    QString m_fittedTexts;
    // The widest the result field may be.
    int m_resultRoom = 353;
    // Every control exists (events during construction find some missing).
    bool m_built = false;
};

// Before the first window is built: the application's style, with the few
// icons the main window's controls ask of it at start painted rather than
// read from image files.
void InstallMainWindowStyle();

// The main window of the running program (set by the main block).
extern TMainFrm *MainFrm;

// Unit flags of the main window.
extern bool BracketHighlightEnabled;
extern bool InputChanging;
extern bool ShiftHeld;
extern bool ModulusChanging;
