#pragma once
// The polynomials window: two polynomials P and Q typed in the notation of
// the polynomial model, and their sum, difference, product, quotient with
// remainder, P to the power n and the Horner scheme of Q at a point m. The
// result is drawn with raised exponents and its text can be copied back into
// P or Q. The window works on its own; it does not talk to the calculator's
// input.
//
// Every operation, and the preview while typing, runs on a worker thread:
// a power or product of many terms takes longer than a window may stay
// frozen. A new operation, Escape, or closing the window stops the one
// running; only the latest operation's outcome is ever shown.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"
#include "tools/model/uPolynomy.h"

#include <QLineEdit>
#include <QList>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

namespace Ui {
class TmnohoclenyFrm;
}

class QThread;

// Shows a polynomial picture; painted on demand, only the part in view.
class TPolynomView : public QWidget
{
public:
    explicit TPolynomView(QWidget *parent = nullptr);

    TPolynomImage Image;
    // The widget takes the picture's size and repaints.
    void Changed();

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The read-only result edit. A line edit lays out its whole text whenever
// it is set or painted (a million characters take a second), so it shows
// only the start of a long result, ending in "…"; copying from it (keys,
// context menu, the mouse selection) gives the result's own text, and a
// selection that reaches the "…" runs to the result's end.
class TResultEdit : public QLineEdit
{
public:
    // Characters shown at the most: wider than any screen.
    static constexpr qsizetype ShownLength = 2000;

    explicit TResultEdit(QWidget *parent = nullptr);

    void SetResult(const QString &text);
    const QString &Result() const { return m_result; }
    // The part of the result that the selection covers.
    QString SelectedResult() const;
    void CopySelection() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_result;
};

class TmnohoclenyFrm : public KTandorelForm
{
public:
    explicit TmnohoclenyFrm(QWidget *parent = nullptr);
    ~TmnohoclenyFrm() override;

    void TranslateTexts() override;

    // The polynomials as last parsed by an operation, and the result.
    const TPolynom &PolynomP() const { return P; }
    const TPolynom &PolynomQ() const { return Q; }
    const TPolynom &ResultPolynom() const { return Result; }
    const TPolynomImage &Picture() const;
    // Whether an operation or preview is still being computed.
    bool Busy() const { return m_job != nullptr; }

    // Messages ("#1" and "#2" are filled in).
    QString errDivisionByZero;
    QString errMaxVariables;
    QString errMaxVariablesTogether;
    QString errMax1Variable;
    QString errValueTooHigh;
    QString errIncorrectNotation;
    QString IncorrectValue;
    QString errMaxDegreeForHornerScheme;
    QString errNegativeIndexes;
    QString reminder;

    // What one operation leads to, computed on the worker thread and shown
    // on the window's own.
    struct TOutcome
    {
        // A message (a member above, filled with the two texts) shown in
        // place of a picture, and the edit marked as refused.
        QString TmnohoclenyFrm::*Message = nullptr;
        QString Arg1, Arg2;
        // Or the text of a failure that has no message of its own.
        QString Failure;
        QLineEdit *Mark = nullptr;
        // The polynomials the operation parsed or computed, when it got so far.
        std::unique_ptr<TPolynom> NewP, NewQ, NewResult;
        TPolynomImage Picture;
        // A new text for the result edit (a null text keeps the old one).
        QString ResultText;
        // The Horner scheme takes the result edit's room; every other
        // picture but the preview gives it back.
        enum TResultEditRoom {
            Keep,
            Show,
            Hide
        } ResultEdit = Keep;
        bool Stopped = false;
    };

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    struct TJob
    {
        std::atomic<bool> Stop{false};
        // A preview the typing started, not an operation the user asked for.
        bool Preview = false;
        TOutcome Outcome;
    };

    void scitanieBtnClick();
    void odcitanieBtnClick();
    void nasobenieBtnClick();
    void delenieBtnClick();
    void umocniPBtnClick();
    void hornerBtnClick();
    void pEdtChange(QLineEdit *edit);
    void mocnina1BtnClick(QLineEdit *edit);
    void vymenaBtnClick();

    // The sum (Negate false) or the difference.
    void AddOrSubtract(bool negate, const QString &op);
    // Runs Work on a worker thread after stopping the job before it; its
    // outcome is shown when it ends, unless a newer job came first.
    void Start(std::function<void(TOutcome &)> work, bool preview = false);
    void StopJob();
    void Finished(const std::shared_ptr<TJob> &job);
    void Show(TOutcome &outcome);

    void ShowError(const QString &text, const QString &arg1 = QString(), const QString &arg2 = QString());
    void PictureChanged();
    void MarkEdit(QLineEdit *edit);
    void ResetEditColour(QLineEdit *edit);
    // Names for the controls whose captions do not say what they do.
    void NameControls();

    Ui::TmnohoclenyFrm *ui;
    TTranslationTable m_texts;
    TPolynom P;
    TPolynom Q;
    TPolynom Result;
    std::shared_ptr<TJob> m_job;
    QTimer m_busyCursor;
    // Every worker still running, the stopped ones too; waited for at the end.
    QList<QThread *> m_threads;
};
