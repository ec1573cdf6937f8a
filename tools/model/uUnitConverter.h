#pragma once
// Units of physical categories and the conversion between two of them.
//
// A value v in a unit is (v + Offset) x Coef in its category's reference
// unit (Coef 1, Offset 0): degrees Celsius against the kelvin have Coef 1 and
// Offset 273.15. The units come from an XML file that the program only reads:
//
//     <tandorel_unit_file>
//       <category name="Temperature">
//         <unit name="kelvin" acr="K" default="1" coef="1"/>
//         <unit name="degree Celsius" acr="°C" coef="1" offset="273.15"/>
//       </category>
//     </tandorel_unit_file>
//
// Numbers take "." or "," as the decimal separator; a missing offset is 0.
// A unit whose coef is missing, no number, zero or not finite (or whose
// offset is no finite number) is left out and recorded in DroppedUnits, so a
// conversion never divides by zero.
#include "core/uList.h"
#include "platform/Classes.h"
#include "platform/SysUtils.h"

#include <QString>
#include <QStringList>

class KUnit
{
public:
    KUnit(const QString &nameText, Extended coef, Extended offset) : NameText(nameText), Coef(coef), Offset(offset) {}

    QString NameText; // "name=abbreviation", the two columns of a unit grid
    Extended Coef;    // factor to the category's reference unit
    Extended Offset;  // added before the factor is applied
};

class KUnitCategory
{
public:
    explicit KUnitCategory(const QString &name);
    virtual ~KUnitCategory() = default;

    // Appends a unit; IsDefault makes it the default unit. A coefficient
    // that is zero or not finite, or an offset that is not finite, would
    // make conversions meaningless: such a unit is refused (false).
    bool AddUnit(const QString &nameText, bool isDefault, Extended coef, Extended offset);
    // Coef / Offset of the unit at Index; 1.0 / 0.0 when there is none.
    Extended CoefAt(int index) const;
    Extended OffsetAt(int index) const;
    // Lines := every unit's NameText, in order.
    void GetUnitNames(TStringList &lines);

    QString Name;
    TList<KUnit> Units; // owns its units
    int DefaultIndex = 0;
};

// A unit of the file that was left out, for the window to mention.
struct TDroppedUnit
{
    QString Category;
    QString Name;
};

class KUnitConverter
{
public:
    KUnitConverter();
    virtual ~KUnitConverter() = default;

    // Frees every category; Current becomes nil.
    void Clear();
    // Appends a new category; returns its index.
    int AddCategory(const QString &name);
    // Forwards to the category at CategoryIndex; false when there is none
    // or the unit is refused.
    bool AddUnit(int categoryIndex, const QString &nameText, bool isDefault, Extended coef, Extended offset);

    // Clear, then LoadFromFile.
    bool LoadFile(const QString &fileName);
    // Appends the categories of a units file. False for a missing or
    // unreadable file, XML that is not well-formed, or a document element
    // other than "tandorel_unit_file"; True otherwise, also for a file
    // without categories.
    bool LoadFromFile(const QString &fileName);
    // The same for a file's contents already in memory.
    bool LoadFromData(const QByteArray &data);

    // Lines := every category's Name, in order.
    void GetCategoryNames(TStringList &lines);
    // Current := the category at Index when there is one; otherwise unchanged.
    void SelectCategory(int index);
    // Lines := the NameText of every unit of Current (empty without one).
    void GetUnitNames(TStringList &lines);
    // DefaultIndex of Current; 0 without one.
    int DefaultUnitIndex() const;
    // Base / target factor and offset := those of the unit at Index of
    // Current (1.0 and 0.0 without a current category or such a unit).
    void SetBaseUnit(int index);
    void SetTargetUnit(int index);
    // (Value + BaseOffset) x BaseCoef / TargetCoef - TargetOffset, in 80-bit
    // floating point, unrounded.
    Extended Convert(Extended value) const;

    TList<KUnitCategory> Categories; // owns its categories
    KUnitCategory *Current = nullptr;
    Extended BaseCoef = 1.0L;
    Extended TargetCoef = 1.0L;
    Extended BaseOffset = 0.0L;
    Extended TargetOffset = 0.0L;

    // The units that the last load left out (their numbers unusable), in
    // file order; emptied by Clear.
    QList<TDroppedUnit> DroppedUnits;
};
