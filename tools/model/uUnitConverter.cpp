#include "tools/model/uUnitConverter.h"

#include "core/uCommon.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>

#include <cmath>

// ------------------------------------------------------------ KUnitCategory

KUnitCategory::KUnitCategory(const QString &name) : Name(name)
{
    Units.OwnsData = true;
}

bool KUnitCategory::AddUnit(const QString &nameText, bool isDefault, Extended coef, Extended offset)
{
    if (!std::isfinite(coef) || coef == 0 || !std::isfinite(offset))
        return false;
    const int index = Units.Add(new KUnit(nameText, coef, offset));
    if (isDefault)
        DefaultIndex = index;
    return true;
}

Extended KUnitCategory::CoefAt(int index) const
{
    const KUnit *unit = Units.GetItem(index);
    return unit ? unit->Coef : 1.0L;
}

Extended KUnitCategory::OffsetAt(int index) const
{
    const KUnit *unit = Units.GetItem(index);
    return unit ? unit->Offset : 0.0L;
}

void KUnitCategory::GetUnitNames(TStringList &lines)
{
    lines.Clear();
    TListIterator<KUnit> it(&Units);
    while (it.HasNext())
        lines.Add(it.Next()->NameText);
}

// ----------------------------------------------------------- KUnitConverter

KUnitConverter::KUnitConverter()
{
    Categories.OwnsData = true;
}

void KUnitConverter::Clear()
{
    Categories.Clear();
    Current = nullptr;
    DroppedUnits.clear();
}

int KUnitConverter::AddCategory(const QString &name)
{
    return Categories.Add(new KUnitCategory(name));
}

bool KUnitConverter::AddUnit(int categoryIndex, const QString &nameText, bool isDefault, Extended coef, Extended offset)
{
    KUnitCategory *category = Categories.GetItem(categoryIndex);
    return category && category->AddUnit(nameText, isDefault, coef, offset);
}

bool KUnitConverter::LoadFile(const QString &fileName)
{
    Clear();
    return LoadFromFile(fileName);
}

bool KUnitConverter::LoadFromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return LoadFromData(file.readAll());
}

namespace {

// A number attribute as the file writes it ("." or ","), read with the
// run-time separator; false when it is no number.
bool ReadNumber(QString text, Extended &value)
{
    NormalizeDecimalSeparators(text);
    return TryStrToFloat(text, value);
}

} // namespace

bool KUnitConverter::LoadFromData(const QByteArray &data)
{
    QDomDocument doc;
    if (!doc.setContent(data, false))
        return false;
    const QDomElement root = doc.documentElement();
    if (root.tagName() != QStringLiteral("tandorel_unit_file"))
        return false;
    for (QDomElement cat = root.firstChildElement(QStringLiteral("category")); !cat.isNull();
         cat = cat.nextSiblingElement(QStringLiteral("category"))) {
        const QString categoryName = cat.attribute(QStringLiteral("name"));
        if (categoryName.isEmpty())
            continue;
        const int index = AddCategory(categoryName);
        for (QDomElement unit = cat.firstChildElement(QStringLiteral("unit")); !unit.isNull();
             unit = unit.nextSiblingElement(QStringLiteral("unit"))) {
            const QString name = unit.attribute(QStringLiteral("name"));
            if (name.isEmpty())
                continue;
            QString offsetText = unit.attribute(QStringLiteral("offset"));
            if (offsetText.isEmpty())
                offsetText = QStringLiteral("0");
            Extended coef = 0, offset = 0;
            const bool added =
                ReadNumber(unit.attribute(QStringLiteral("coef")), coef) && ReadNumber(offsetText, offset)
                && AddUnit(index, name + u'=' + unit.attribute(QStringLiteral("acr")),
                           unit.attribute(QStringLiteral("default")) == QStringLiteral("1"), coef, offset);
            if (!added)
                DroppedUnits.append({categoryName, name});
        }
    }
    return true;
}

void KUnitConverter::GetCategoryNames(TStringList &lines)
{
    lines.Clear();
    TListIterator<KUnitCategory> it(&Categories);
    while (it.HasNext())
        lines.Add(it.Next()->Name);
}

void KUnitConverter::SelectCategory(int index)
{
    if (KUnitCategory *category = Categories.GetItem(index))
        Current = category;
}

void KUnitConverter::GetUnitNames(TStringList &lines)
{
    lines.Clear();
    if (Current)
        Current->GetUnitNames(lines);
}

int KUnitConverter::DefaultUnitIndex() const
{
    return Current ? Current->DefaultIndex : 0;
}

void KUnitConverter::SetBaseUnit(int index)
{
    BaseCoef = Current ? Current->CoefAt(index) : 1.0L;
    BaseOffset = Current ? Current->OffsetAt(index) : 0.0L;
}

void KUnitConverter::SetTargetUnit(int index)
{
    TargetCoef = Current ? Current->CoefAt(index) : 1.0L;
    TargetOffset = Current ? Current->OffsetAt(index) : 0.0L;
}

Extended KUnitConverter::Convert(Extended value) const
{
    return (value + BaseOffset) * BaseCoef / TargetCoef - TargetOffset;
}
