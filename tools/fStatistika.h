#pragma once
// Statistics of a table of values x, each with a weight (1 when left
// empty): count, sum, product, arithmetic mean, weighted mean (expected
// value), dispersion, standard deviation and the median of the values, which
// takes no weights (the window says so). The computation is uStatistics; a
// table without rows, a negative weight or weights that add up to 0 give a
// message, and a product beyond the range is shown as such.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"
#include "tools/model/uStatistics.h"

class QLineEdit;
class TValueListEditor;
namespace Ui {
class TstatistikaFrm;
}

class TstatistikaFrm : public KTandorelForm
{
    Q_OBJECT

public:
    explicit TstatistikaFrm(QWidget *parent = nullptr);
    ~TstatistikaFrm() override;

    void TranslateTexts() override;
    // Reads the table and shows the results (the button, Enter in the table).
    void vypocetBtnClick();

    QString NoValues;          // "Enter at least one value."
    QString NegativeWeight;    // "A weight must not be negative."
    QString ZeroTotalWeight;   // "The weights must not add up to 0."
    QString ProductOutOfRange; // "out of range"

    TValueListEditor *hodnotyVle() const;
    QLineEdit *ResultEdit(const char *name) const;

private:
    // The table's rows into Values; false after showing the input error of
    // the first cell that is no number (that cell selected).
    bool ReadValues(std::vector<TWeightedValue> &values);
    void FailOnCell(int row, int column, const QString &message);
    void novyBtnClick();
    void zmazatBtnClick();

    Ui::TstatistikaFrm *ui;
    TTranslationTable m_texts;
    // The product field holds ProductOutOfRange (shown anew in a new language).
    bool m_productOutOfRangeShown = false;
};
