#pragma once
// The unit converter: the user picks a category, a base unit and a target
// unit, types a value and reads it converted. The units come from the units
// file that the language file names ("units/en/units.xml" by default); they
// are read whenever the window reads its texts, with or without a language
// file. The converted value is recomputed on every change of category, unit
// (by mouse or keyboard) or value, and when the units are read.
#include "platform/SysUtils.h"
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

#include <QString>

class KUnitConverter;
class QLabel;
class QLineEdit;
class QListWidget;
class TValueListEditor;
namespace Ui {
class TUnitConverterFrm;
}

class TUnitConverterFrm : public KTandorelForm
{
    Q_OBJECT

public:
    explicit TUnitConverterFrm(QWidget *parent = nullptr);
    ~TUnitConverterFrm() override;

    // The texts, then the units (LoadUnits).
    void TranslateTexts() override;

    KUnitConverter *Converter;
    QString UnitFile;           // below the program folder
    QString FileLoadErr;        // "The unit file does not exist or has XML syntax errors:"
    QString FileLoadErrCaption; // "Could not load units"
    QString UnitsLeftOut;       // the note on units whose numbers are unusable

    // The controls, for tests.
    QListWidget *categoryLsb() const;
    TValueListEditor *baseUnitVle() const;
    TValueListEditor *targetUnitVle() const;
    QLineEdit *baseValueEdt() const;
    QLineEdit *targetValueEdt() const;
    QLabel *droppedUnitsLbl() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Reads the units file into the lists; a file that cannot be read gives
    // a message and leaves the lists empty.
    void LoadUnits();
    // The category's units into both grids, each on the default unit.
    void SelectCategory(int index);
    // The base value converted into the target field (empty when the value
    // or the result is no number, or no units are shown).
    void Recompute();
    void Recalculate(Extended value);
    void unitPnlResize();

    Ui::TUnitConverterFrm *ui;
    TTranslationTable m_texts;
    bool m_filling = false;
};
