#pragma once
// The expression preview: the text the controller hands over, drawn as a
// two-dimensional formula in a scroll area. The formula is painted on demand
// from its layout, so no picture grows with it. A text that cannot be drawn
// shows a short note instead; an empty one clears the drawing.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"
#include "tools/model/uGrafickyVyraz.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class TnahladVyrazuFrm;
}

// The drawing surface inside the scroll area: sized to the formula with a
// margin of 5 pixels, painting only the exposed part.
class TExpressionCanvas : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Margin = 5;

    explicit TExpressionCanvas(QWidget *parent = nullptr);

    // Shows Formula (measured with Metrics(); not owned, nullptr for none),
    // else Note, else nothing.
    void Show(const TGrafickyVyraz *Formula, const QString &Note);
    const TGrafickyVyraz *Formula() const { return Shown; }
    const QString &Note() const { return NoteText; }
    const TFontTextMetrics &Metrics() const { return TextMetrics; }

    // What the drawing shows, in words (the text handed over); the note
    // follows it when one is shown.
    QString Description;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TFontTextMetrics TextMetrics;
    const TGrafickyVyraz *Shown = nullptr;
    QString NoteText;
};

class TnahladVyrazuFrm : public KTandorelForm, public IExpressionPreviewHandOver
{
    Q_OBJECT

public:
    explicit TnahladVyrazuFrm(QWidget *parent = nullptr);
    ~TnahladVyrazuFrm() override;

    // Stores the text to preview.
    void SetExpression(const QString &Text) override;
    // Lays the stored text out afresh and shows it.
    void Redraw() override;
    void TranslateTexts() override;

    QString Expression() const { return Text; }
    const TGrafickyVyraz *Tree() const { return Formula.get(); }
    TExpressionCanvas *Canvas() const;

private:
    QString NoteFor(TVyrazFault Fault) const;

    Ui::TnahladVyrazuFrm *ui;
    TTranslationTable Texts;
    std::unique_ptr<TGrafickyVyraz> Formula;
    QString Text;
    // Why the stored text could not be drawn, while its note is shown.
    std::optional<TVyrazFault> Fault;

    QString NoteEmptyOperand;
    QString NoteUnclosedBracket;
    QString NoteUnopenedBracket;
    QString NoteMissingOperator;
    QString NoteTooLong;
    QString NoteTooDeep;
    QString NoteCannotDraw;
};
