#include "tools/model/uUnitConverter.h"

#include "core/uCommon.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>

#include <cmath>

// ------------------------------------------------------------ KUnitCategory

KUnitCategory::KUnitCategory(const QString &Name) : Name(Name)
{
    Units.OwnsData = true;
}

bool KUnitCategory::AddUnit(const QString &NameText, bool IsDefault, Extended Coef, Extended Offset)
{
    if (!std::isfinite(Coef) || Coef == 0 || !std::isfinite(Offset))
        return false;
    const int index = Units.Add(new KUnit(NameText, Coef, Offset));
    if (IsDefault)
        DefaultIndex = index;
    return true;
}

Extended KUnitCategory::CoefAt(int Index) const
{
    const KUnit *unit = Units.GetItem(Index);
    return unit ? unit->Coef : 1.0L;
}

Extended KUnitCategory::OffsetAt(int Index) const
{
    const KUnit *unit = Units.GetItem(Index);
    return unit ? unit->Offset : 0.0L;
}

void KUnitCategory::GetUnitNames(TStringList &Lines)
{
    Lines.Clear();
    TListIterator<KUnit> it(&Units);
    while (it.HasNext())
        Lines.Add(it.Next()->NameText);
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

int KUnitConverter::AddCategory(const QString &Name)
{
    return Categories.Add(new KUnitCategory(Name));
}

bool KUnitConverter::AddUnit(int CategoryIndex, const QString &NameText, bool IsDefault, Extended Coef, Extended Offset)
{
    KUnitCategory *category = Categories.GetItem(CategoryIndex);
    return category && category->AddUnit(NameText, IsDefault, Coef, Offset);
}

bool KUnitConverter::LoadFile(const QString &FileName)
{
    Clear();
    return LoadFromFile(FileName);
}

bool KUnitConverter::LoadFromFile(const QString &FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return LoadFromData(file.readAll());
}

namespace {

// A number attribute as the file writes it ("." or ","), read with the
// run-time separator; false when it is no number.
bool ReadNumber(QString Text, Extended &Value)
{
    NormalizeDecimalSeparators(Text);
    return TryStrToFloat(Text, Value);
}

} // namespace

bool KUnitConverter::LoadFromData(const QByteArray &Data)
{
    QDomDocument doc;
    if (!doc.setContent(Data, false))
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

void KUnitConverter::GetCategoryNames(TStringList &Lines)
{
    Lines.Clear();
    TListIterator<KUnitCategory> it(&Categories);
    while (it.HasNext())
        Lines.Add(it.Next()->Name);
}

void KUnitConverter::SelectCategory(int Index)
{
    if (KUnitCategory *category = Categories.GetItem(Index))
        Current = category;
}

void KUnitConverter::GetUnitNames(TStringList &Lines)
{
    Lines.Clear();
    if (Current)
        Current->GetUnitNames(Lines);
}

int KUnitConverter::DefaultUnitIndex() const
{
    return Current ? Current->DefaultIndex : 0;
}

void KUnitConverter::SetBaseUnit(int Index)
{
    BaseCoef = Current ? Current->CoefAt(Index) : 1.0L;
    BaseOffset = Current ? Current->OffsetAt(Index) : 0.0L;
}

void KUnitConverter::SetTargetUnit(int Index)
{
    TargetCoef = Current ? Current->CoefAt(Index) : 1.0L;
    TargetOffset = Current ? Current->OffsetAt(Index) : 0.0L;
}

Extended KUnitConverter::Convert(Extended Value) const
{
    return (Value + BaseOffset) * BaseCoef / TargetCoef - TargetOffset;
}
