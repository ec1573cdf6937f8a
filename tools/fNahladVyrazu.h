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
    void Show(const TGrafickyVyraz *formula, const QString &note);
    const TGrafickyVyraz *Formula() const { return m_shown; }
    const QString &Note() const { return m_noteText; }
    const TFontTextMetrics &Metrics() const { return m_textMetrics; }

    // What the drawing shows, in words (the text handed over); the note
    // follows it when one is shown.
    QString Description;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TFontTextMetrics m_textMetrics;
    const TGrafickyVyraz *m_shown = nullptr;
    QString m_noteText;
};

class TnahladVyrazuFrm : public KTandorelForm, public IExpressionPreviewHandOver
{
    Q_OBJECT

public:
    explicit TnahladVyrazuFrm(QWidget *parent = nullptr);
    ~TnahladVyrazuFrm() override;

    // Stores the text to preview.
    void SetExpression(const QString &text) override;
    // Lays the stored text out afresh and shows it.
    void Redraw() override;
    void TranslateTexts() override;

    QString Expression() const { return Text; }
    const TGrafickyVyraz *Tree() const { return m_formula.get(); }
    TExpressionCanvas *Canvas() const;

private:
    QString NoteFor(TVyrazFault fault) const;

    Ui::TnahladVyrazuFrm *ui;
    TTranslationTable m_texts;
    std::unique_ptr<TGrafickyVyraz> m_formula;
    QString Text;
    // Why the stored text could not be drawn, while its note is shown.
    std::optional<TVyrazFault> m_fault;

    QString m_noteEmptyOperand;
    QString m_noteUnclosedBracket;
    QString m_noteUnopenedBracket;
    QString m_noteMissingOperator;
    QString m_noteTooLong;
    QString m_noteTooDeep;
    QString m_noteCannotDraw;
};
