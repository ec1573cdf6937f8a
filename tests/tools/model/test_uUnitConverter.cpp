#include "tools/model/uUnitConverter.h"

#include "core/uProgramSettings.h"
#include "tests/support/TempProgramDir.h"

#include <QDomDocument>
#include <QFile>
#include <QMap>
#include <QSet>

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QString ShippedUnitsFile()
{
    return qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/units/en/units.xml");
}

QByteArray File(const char *Body)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tandorel_unit_file>") + Body
           + "</tandorel_unit_file>";
}

class UnitConverter : public ::testing::Test
{
protected:
    void SetUp() override { KProgramSettings::Instance()->SetDecimalSeparator(1); }
    void TearDown() override { KProgramSettings::Instance()->SetDecimalSeparator(0); }

    // Loads Body as the only file of the converter.
    bool Load(const char *Body)
    {
        Converter.Clear();
        return Converter.LoadFromData(File(Body));
    }
    KUnitCategory *Category(int Index) { return Converter.Categories.GetItem(Index); }

    KUnitConverter Converter;
};

// ----------------------------------------------------------- the shipped file

// The standard values, from the exact definitions (inch, pound, gallons,
// standard gravity, atmosphere, calories, Btu, eV, au, light year, pi).
struct TStandard
{
    Extended Coef;
    Extended Offset;
};

QMap<QString, TStandard> StandardValues()
{
    const Extended pi = 3.14159265358979323846264338327950288L;
    const Extended inch = 0.0254L, ft = 12 * inch, yd = 3 * ft, mi = 5280 * ft;
    const Extended lb = 0.45359237L, g0 = 9.80665L, lbf = lb * g0;
    const Extended usgal = 231 * inch * inch * inch, impgal = 0.00454609L;
    const Extended atm = 101325, btu = 1055.05585262L, hg = 13595.1L * g0; // mercury, conventional
    QMap<QString, TStandard> m;
    auto add = [&](const char *Category, const char *Acr, Extended Coef, Extended Offset = 0) {
        m.insert(QString::fromUtf8(Category) + u'/' + QString::fromUtf8(Acr), {Coef, Offset});
    };
    add("Length", "km", 1000);
    add("Length", "m", 1);
    add("Length", "dm", 0.1L);
    add("Length", "cm", 0.01L);
    add("Length", "mm", 0.001L);
    add("Length", "µm", 1e-6L);
    add("Length", "nm", 1e-9L);
    add("Length", "pm", 1e-12L);
    add("Length", "Å", 1e-10L);
    add("Length", "in", inch);
    add("Length", "ft", ft);
    add("Length", "yd", yd);
    add("Length", "mi", mi);
    add("Length", "mil", inch / 1000);
    add("Length", "ftm", 6 * ft);
    add("Length", "ch", 66 * ft);
    add("Length", "fur", 660 * ft);
    add("Length", "ft (US)", 1200.0L / 3937);
    add("Length", "nmi", 1852);
    add("Length", "au", 149597870700.0L);
    add("Length", "ly", 9.4607304725808e15L);
    add("Length", "pc", 149597870700.0L * 648000 / pi);

    add("Area", "km²", 1e6L);
    add("Area", "ha", 1e4L);
    add("Area", "a", 100);
    add("Area", "m²", 1);
    add("Area", "dm²", 0.01L);
    add("Area", "cm²", 1e-4L);
    add("Area", "mm²", 1e-6L);
    add("Area", "in²", inch * inch);
    add("Area", "ft²", ft * ft);
    add("Area", "yd²", yd * yd);
    add("Area", "ac", 43560 * ft * ft);
    add("Area", "mi²", mi * mi);

    add("Volume", "m³", 1);
    add("Volume", "dm³", 1e-3L);
    add("Volume", "cm³", 1e-6L);
    add("Volume", "mm³", 1e-9L);
    add("Volume", "km³", 1e9L);
    add("Volume", "hl", 0.1L);
    add("Volume", "l", 1e-3L);
    add("Volume", "dl", 1e-4L);
    add("Volume", "cl", 1e-5L);
    add("Volume", "ml", 1e-6L);
    add("Volume", "in³", inch * inch * inch);
    add("Volume", "ft³", ft * ft * ft);
    add("Volume", "yd³", yd * yd * yd);
    add("Volume", "gal (US)", 3.785411784e-3L);
    add("Volume", "qt (US)", usgal / 4);
    add("Volume", "pt (US)", usgal / 8);
    add("Volume", "cup (US)", usgal / 16);
    add("Volume", "fl oz (US)", usgal / 128);
    add("Volume", "tbsp (US)", usgal / 256);
    add("Volume", "tsp (US)", usgal / 768);
    add("Volume", "bbl", 42 * usgal);
    add("Volume", "gal (imp)", impgal);
    add("Volume", "qt (imp)", impgal / 4);
    add("Volume", "pt (imp)", impgal / 8);
    add("Volume", "fl oz (imp)", impgal / 160);

    add("Mass", "t", 1000);
    add("Mass", "kg", 1);
    add("Mass", "g", 1e-3L);
    add("Mass", "mg", 1e-6L);
    add("Mass", "µg", 1e-9L);
    add("Mass", "ct", 2e-4L);
    add("Mass", "lb", lb);
    add("Mass", "oz", lb / 16);
    add("Mass", "gr", lb / 7000);
    add("Mass", "st", 14 * lb);
    add("Mass", "ton (US)", 2000 * lb);
    add("Mass", "ton (imp)", 2240 * lb);
    add("Mass", "oz t", 480 * lb / 7000);
    add("Mass", "slug", lbf / ft);

    add("Time", "ns", 1e-9L);
    add("Time", "µs", 1e-6L);
    add("Time", "ms", 1e-3L);
    add("Time", "s", 1);
    add("Time", "min", 60);
    add("Time", "h", 3600);
    add("Time", "d", 86400);
    add("Time", "wk", 604800);
    add("Time", "a", 365.25L * 86400);

    add("Speed", "m/s", 1);
    add("Speed", "km/h", 1000.0L / 3600);
    add("Speed", "km/s", 1000);
    add("Speed", "cm/s", 0.01L);
    add("Speed", "mph", mi / 3600);
    add("Speed", "ft/s", ft);
    add("Speed", "kn", 1852.0L / 3600);
    add("Speed", "c", 299792458);

    add("Temperature", "K", 1);
    add("Temperature", "°C", 1, 273.15L);
    add("Temperature", "°F", 5.0L / 9, 459.67L);
    add("Temperature", "°R", 5.0L / 9);

    add("Pressure", "Pa", 1);
    add("Pressure", "hPa", 100);
    add("Pressure", "kPa", 1000);
    add("Pressure", "MPa", 1e6L);
    add("Pressure", "GPa", 1e9L);
    add("Pressure", "bar", 1e5L);
    add("Pressure", "mbar", 100);
    add("Pressure", "atm", atm);
    add("Pressure", "at", g0 * 1e4L);
    add("Pressure", "Torr", atm / 760);
    add("Pressure", "mmHg", hg / 1000);
    add("Pressure", "inHg", hg * inch);
    add("Pressure", "mmH₂O", g0);
    add("Pressure", "psi", lbf / (inch * inch));
    add("Pressure", "psf", lbf / (ft * ft));

    add("Energy", "J", 1);
    add("Energy", "kJ", 1000);
    add("Energy", "MJ", 1e6L);
    add("Energy", "GJ", 1e9L);
    add("Energy", "Wh", 3600);
    add("Energy", "kWh", 3.6e6L);
    add("Energy", "MWh", 3.6e9L);
    add("Energy", "cal", 4.184L);
    add("Energy", "kcal", 4184);
    add("Energy", "cal (IT)", 4.1868L);
    add("Energy", "kcal (IT)", 4186.8L);
    add("Energy", "Btu", btu);
    add("Energy", "eV", 1.602176634e-19L);
    add("Energy", "erg", 1e-7L);
    add("Energy", "ft·lbf", ft * lbf);
    add("Energy", "t TNT", 4.184e9L);

    add("Power", "W", 1);
    add("Power", "mW", 1e-3L);
    add("Power", "kW", 1000);
    add("Power", "MW", 1e6L);
    add("Power", "GW", 1e9L);
    add("Power", "hp", 745.69987158227022L);
    add("Power", "PS", 735.49875L);
    add("Power", "hp (E)", 746);
    add("Power", "Btu/h", btu / 3600);
    add("Power", "ft·lbf/s", ft * lbf);
    add("Power", "cal/s", 4.184L);
    add("Power", "erg/s", 1e-7L);
    add("Power", "TR", 12000 * btu / 3600);

    add("Force", "N", 1);
    add("Force", "mN", 1e-3L);
    add("Force", "kN", 1000);
    add("Force", "MN", 1e6L);
    add("Force", "dyn", 1e-5L);
    add("Force", "kgf", g0);
    add("Force", "lbf", 4.4482216152605L);
    add("Force", "ozf", lbf / 16);
    add("Force", "kip", 1000 * lbf);
    add("Force", "pdl", lb * ft);

    add("Angle", "rad", 1);
    add("Angle", "mrad", 1e-3L);
    add("Angle", "°", pi / 180);
    add("Angle", "′", pi / 10800);
    add("Angle", "″", pi / 648000);
    add("Angle", "gon", pi / 200);
    add("Angle", "tr", 2 * pi);
    add("Angle", "mil", 2 * pi / 6400);

    add("Data", "bit", 1);
    add("Data", "B", 8);
    const char *si[] = {"k", "M", "G", "T", "P", "E", "Z", "Y"};
    const char *iec[] = {"Ki", "Mi", "Gi", "Ti", "Pi", "Ei", "Zi", "Yi"};
    Extended decimal = 1, binary = 1;
    for (int i = 0; i < 8; ++i) {
        decimal *= 1000;
        binary *= 1024;
        add("Data", (std::string(si[i]) + "bit").c_str(), decimal);
        add("Data", (std::string(iec[i]) + "bit").c_str(), binary);
        add("Data", (std::string(si[i]) + "B").c_str(), 8 * decimal);
        add("Data", (std::string(iec[i]) + "B").c_str(), 8 * binary);
    }
    return m;
}

bool Close(Extended Actual, Extended Expected, Extended Relative)
{
    return std::fabs(Actual - Expected) <= Relative * std::fabs(Expected);
}

TEST_F(UnitConverter, ShippedFileHoldsTheStandardFactors)
{
    ASSERT_TRUE(Converter.LoadFile(ShippedUnitsFile()));
    EXPECT_TRUE(Converter.DroppedUnits.isEmpty());
    const QMap<QString, TStandard> standard = StandardValues();
    QSet<QString> seen;
    TListIterator<KUnitCategory> categories(&Converter.Categories);
    while (categories.HasNext()) {
        KUnitCategory *category = categories.Next();
        TListIterator<KUnit> units(&category->Units);
        while (units.HasNext()) {
            const KUnit *unit = units.Next();
            const QString key = category->Name + u'/' + unit->NameText.section(u'=', 1);
            ASSERT_TRUE(standard.contains(key)) << "no standard value for " << key.toStdString();
            EXPECT_FALSE(seen.contains(key)) << "twice: " << key.toStdString();
            seen.insert(key);
            const TStandard s = standard.value(key);
            EXPECT_TRUE(Close(unit->Coef, s.Coef, 1e-18L))
                << key.toStdString() << ": " << double(unit->Coef) << " against " << double(s.Coef);
            EXPECT_TRUE(Close(unit->Offset, s.Offset, 1e-18L)) << key.toStdString();
        }
    }
    EXPECT_EQ(seen.size(), standard.size()) << "a standard unit is missing from the file";
}

TEST_F(UnitConverter, TheSlovakFileIsTheEnglishOneWithSlovakNames)
{
    KUnitConverter slovak;
    ASSERT_TRUE(Converter.LoadFile(ShippedUnitsFile()));
    ASSERT_TRUE(
        slovak.LoadFile(qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/units/sk/units.xml")));
    EXPECT_TRUE(slovak.DroppedUnits.isEmpty());
    ASSERT_EQ(slovak.Categories.Count(), Converter.Categories.Count());
    for (int c = 0; c < Converter.Categories.Count(); ++c) {
        const KUnitCategory *en = Converter.Categories.GetItem(c), *sk = slovak.Categories.GetItem(c);
        EXPECT_NE(sk->Name, en->Name);
        EXPECT_EQ(sk->DefaultIndex, en->DefaultIndex) << en->Name.toStdString();
        ASSERT_EQ(sk->Units.Count(), en->Units.Count()) << en->Name.toStdString();
        for (int u = 0; u < en->Units.Count(); ++u) {
            const KUnit *a = en->Units.GetItem(u), *b = sk->Units.GetItem(u);
            EXPECT_EQ(b->NameText.section(u'=', 1), a->NameText.section(u'=', 1)) << a->NameText.toStdString();
            EXPECT_EQ(b->Coef, a->Coef) << a->NameText.toStdString();
            EXPECT_EQ(b->Offset, a->Offset) << a->NameText.toStdString();
        }
    }
}

TEST_F(UnitConverter, ShippedFileHasOneDefaultPerCategoryAndPointDecimals)
{
    QFile file(ShippedUnitsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(file.readAll()));
    QStringList names;
    for (QDomElement cat = doc.documentElement().firstChildElement(QStringLiteral("category")); !cat.isNull();
         cat = cat.nextSiblingElement(QStringLiteral("category"))) {
        names << cat.attribute(QStringLiteral("name"));
        int defaults = 0;
        for (QDomElement unit = cat.firstChildElement(QStringLiteral("unit")); !unit.isNull();
             unit = unit.nextSiblingElement(QStringLiteral("unit"))) {
            defaults += unit.attribute(QStringLiteral("default")) == QStringLiteral("1");
            EXPECT_FALSE(unit.attribute(QStringLiteral("coef")).contains(u','));
            EXPECT_FALSE(unit.attribute(QStringLiteral("offset")).contains(u','));
        }
        EXPECT_EQ(defaults, 1) << names.last().toStdString();
    }
    const QStringList required = {"Length",   "Area",   "Volume", "Mass",  "Time",  "Speed", "Temperature",
                                  "Pressure", "Energy", "Power",  "Force", "Angle", "Data"};
    for (const QString &name : required)
        EXPECT_TRUE(names.contains(name)) << name.toStdString();
}

// Index of the unit with abbreviation Acr in the current category.
int UnitIndex(KUnitConverter &C, const QString &Acr)
{
    TStringList names;
    C.GetUnitNames(names);
    for (int i = 0; i < names.Count(); ++i)
        if (names.Strings(i).section(u'=', 1) == Acr)
            return i;
    return -1;
}

TEST_F(UnitConverter, BoilingWaterInCelsiusFahrenheitAndKelvin)
{
    ASSERT_TRUE(Converter.LoadFile(ShippedUnitsFile()));
    TStringList names;
    Converter.GetCategoryNames(names);
    Converter.SelectCategory(names.IndexOf(QStringLiteral("Temperature")));
    const int c = UnitIndex(Converter, QStringLiteral("°C")), f = UnitIndex(Converter, QStringLiteral("°F")),
              k = UnitIndex(Converter, QStringLiteral("K"));
    const struct
    {
        int from, to;
        Extended value, expected;
    } cases[] = {
        {c, f, 100, 212},     {c, k, 100, 373.15L}, {f, k, 212, 373.15L}, {f, c, 212, 100},
        {k, c, 373.15L, 100}, {k, f, 373.15L, 212}, {c, f, -40, -40},     {k, c, 0, -273.15L},
    };
    for (const auto &t : cases) {
        Converter.SetBaseUnit(t.from);
        Converter.SetTargetUnit(t.to);
        EXPECT_TRUE(Close(Converter.Convert(t.value), t.expected, 1e-17L))
            << t.from << "->" << t.to << ": " << double(Converter.Convert(t.value));
    }
}

TEST_F(UnitConverter, EveryPairOfEveryShippedCategoryRoundTrips)
{
    ASSERT_TRUE(Converter.LoadFile(ShippedUnitsFile()));
    const Extended values[] = {1, -40, 123.456L, 1e-3L, 6.02e23L};
    for (int cat = 0; cat < Converter.Categories.Count(); ++cat) {
        Converter.SelectCategory(cat);
        const int count = Converter.Current->Units.Count();
        for (int a = 0; a < count; ++a)
            for (int b = 0; b < count; ++b)
                for (Extended v : values) {
                    Converter.SetBaseUnit(a);
                    Converter.SetTargetUnit(b);
                    const Extended there = Converter.Convert(v);
                    Converter.SetBaseUnit(b);
                    Converter.SetTargetUnit(a);
                    const Extended back = Converter.Convert(there);
                    EXPECT_TRUE(Close(back, v, 1e-12L))
                        << Converter.Current->Name.toStdString() << " " << a << "<->" << b << " " << double(v);
                }
    }
}

// ------------------------------------------------------------ the file format

TEST_F(UnitConverter, ReadsNumbersWithEitherSeparatorAndAMissingOffset)
{
    for (QChar separator : {QChar(u'.'), QChar(u',')}) {
        KProgramSettings::Instance()->SetDecimalSeparator(separator == u'.' ? 1 : 2);
        ASSERT_TRUE(Load("<category name=\"L\"><unit name=\"mm\" acr=\"x\" coef=\"0,001\"/>"
                         "<unit name=\"mm2\" coef=\"0.001\" offset=\"\"/><unit name=\"t\" coef=\"1\" offset=\"2,5\"/>"
                         "</category>"));
        KUnitCategory *c = Category(0);
        ASSERT_EQ(c->Units.Count(), 3);
        EXPECT_EQ(c->CoefAt(0), 0.001L);
        EXPECT_EQ(c->OffsetAt(0), 0.0L);
        EXPECT_EQ(c->CoefAt(1), 0.001L);
        EXPECT_EQ(c->OffsetAt(2), 2.5L);
        EXPECT_EQ(c->Units.GetItem(0)->NameText, QStringLiteral("mm=x"));
        EXPECT_EQ(c->Units.GetItem(1)->NameText, QStringLiteral("mm2=")); // no acr: empty
    }
}

TEST_F(UnitConverter, UnusableNumbersDropTheUnitAndAreNoted)
{
    // A factor of zero (also one too small to be held) would divide by zero,
    // and text that is no number has no factor at all.
    ASSERT_TRUE(Load("<category name=\"A\">"
                     "<unit name=\"good\" coef=\"2\"/>"
                     "<unit name=\"zero\" coef=\"0\"/>"
                     "<unit name=\"tiny\" coef=\"1e-5000\"/>"
                     "<unit name=\"huge\" coef=\"1e5000\"/>"
                     "<unit name=\"inf\" coef=\"INF\"/>"
                     "<unit name=\"grouped\" coef=\"1,000.5\"/>"
                     "<unit name=\"empty\" coef=\"\"/>"
                     "<unit name=\"missing\"/>"
                     "<unit name=\"badoffset\" coef=\"1\" offset=\"x\"/>"
                     "</category><category name=\"B\"><unit name=\"nan\" coef=\"NAN\"/></category>"));
    ASSERT_EQ(Converter.Categories.Count(), 2);
    EXPECT_EQ(Category(0)->Units.Count(), 1);
    EXPECT_EQ(Category(1)->Units.Count(), 0); // the category stays, empty
    QStringList dropped;
    for (const TDroppedUnit &d : Converter.DroppedUnits)
        dropped << d.Category + u'/' + d.Name;
    EXPECT_EQ(dropped, QStringList({"A/zero", "A/tiny", "A/huge", "A/inf", "A/grouped", "A/empty", "A/missing",
                                    "A/badoffset", "B/nan"}));

    KUnitCategory direct(QStringLiteral("C"));
    EXPECT_FALSE(direct.AddUnit(QStringLiteral("a=a"), false, 0, 0));
    EXPECT_FALSE(direct.AddUnit(QStringLiteral("a=a"), false, std::numeric_limits<Extended>::infinity(), 0));
    EXPECT_FALSE(direct.AddUnit(QStringLiteral("a=a"), false, 1, std::numeric_limits<Extended>::quiet_NaN()));
    EXPECT_EQ(direct.Units.Count(), 0);
    EXPECT_FALSE(Converter.AddUnit(7, QStringLiteral("a=a"), false, 1, 0)); // no such category
}

TEST_F(UnitConverter, SkipsNamelessElementsAndForeignElements)
{
    ASSERT_TRUE(Load("<note/><category><unit name=\"lost\" coef=\"1\"/></category>"
                     "<category name=\"\"><unit name=\"lost2\" coef=\"1\"/></category>"
                     "<category name=\"K\"><x/><unit coef=\"1\"/><unit name=\"\" coef=\"1\"/>"
                     "<unit name=\"a\" coef=\"1\"/><comment>text</comment><unit name=\"b\" coef=\"2\"/></category>"));
    TStringList names;
    Converter.GetCategoryNames(names);
    EXPECT_EQ(names.Lines(), QStringList({"K"}));
    Converter.SelectCategory(0);
    Converter.GetUnitNames(names);
    EXPECT_EQ(names.Lines(), QStringList({"a=", "b="}));
    EXPECT_TRUE(Converter.DroppedUnits.isEmpty()); // nameless units are skipped, not dropped
}

TEST_F(UnitConverter, LastDefaultWinsAndTheFirstUnitOtherwise)
{
    ASSERT_TRUE(Load("<category name=\"A\"><unit name=\"a\" coef=\"1\"/><unit name=\"b\" coef=\"1\" default=\"1\"/>"
                     "<unit name=\"c\" coef=\"1\" default=\"1\"/></category>"
                     "<category name=\"B\"><unit name=\"a\" coef=\"1\" default=\"yes\"/><unit name=\"b\" coef=\"1\"/>"
                     "</category>"));
    EXPECT_EQ(Converter.DefaultUnitIndex(), 0); // no current category yet
    Converter.SelectCategory(0);
    EXPECT_EQ(Converter.DefaultUnitIndex(), 2);
    Converter.SelectCategory(1);
    EXPECT_EQ(Converter.DefaultUnitIndex(), 0);
    Converter.SelectCategory(5); // out of range: unchanged
    EXPECT_EQ(Converter.Current, Category(1));
    Converter.SelectCategory(-1);
    EXPECT_EQ(Converter.Current, Category(1));
}

TEST_F(UnitConverter, BrokenFilesGiveFalseAndNoCategories)
{
    TempProgramDir dir;
    dir.write(QStringLiteral("cut.xml"), "<tandorel_unit_file><category name=\"A\"><unit name=\"a\" coef=\"1\"/>");
    dir.write(QStringLiteral("other.xml"),
              "<units><category name=\"A\"><unit name=\"a\" coef=\"1\"/></category></units>");
    dir.write(QStringLiteral("empty.xml"), "");
    dir.write(QStringLiteral("binary.xml"), QByteArray("\x00\xff\xfe<<", 5));
    for (const char *name : {"missing.xml", "cut.xml", "other.xml", "empty.xml", "binary.xml"}) {
        ASSERT_TRUE(Converter.LoadFile(ShippedUnitsFile()));
        EXPECT_FALSE(Converter.LoadFile(dir.file(QString::fromLatin1(name)))) << name;
        EXPECT_EQ(Converter.Categories.Count(), 0) << name;
        EXPECT_EQ(Converter.Current, nullptr);
    }
    dir.write(QStringLiteral("none.xml"), "<tandorel_unit_file/>");
    EXPECT_TRUE(Converter.LoadFile(dir.file(QStringLiteral("none.xml"))));
    EXPECT_EQ(Converter.Categories.Count(), 0);
}

TEST_F(UnitConverter, LoadFileReplacesAndLoadFromFileAppends)
{
    TempProgramDir dir;
    dir.write(QStringLiteral("u.xml"), File("<category name=\"A\"><unit name=\"a\" coef=\"0\"/></category>"));
    ASSERT_TRUE(Converter.LoadFile(dir.file(QStringLiteral("u.xml"))));
    Converter.SelectCategory(0);
    ASSERT_TRUE(Converter.LoadFromFile(dir.file(QStringLiteral("u.xml"))));
    EXPECT_EQ(Converter.Categories.Count(), 2);
    EXPECT_EQ(Converter.DroppedUnits.size(), 2);
    ASSERT_TRUE(Converter.LoadFile(dir.file(QStringLiteral("u.xml"))));
    EXPECT_EQ(Converter.Categories.Count(), 1);
    EXPECT_EQ(Converter.DroppedUnits.size(), 1);
    EXPECT_EQ(Converter.Current, nullptr);
}

// --------------------------------------------------------------- conversion

TEST_F(UnitConverter, ConvertsThroughTheReferenceUnit)
{
    const int t = Converter.AddCategory(QStringLiteral("T"));
    Converter.AddUnit(t, QStringLiteral("C=C"), false, 1, 273.15L);
    Converter.AddUnit(t, QStringLiteral("F=F"), false, 5.0L / 9, 459.67L);
    EXPECT_EQ(Converter.Convert(42), 42); // no category: factors 1, offsets 0
    Converter.SetBaseUnit(0);
    Converter.SetTargetUnit(1);
    EXPECT_EQ(Converter.Convert(7), 7);
    Converter.SelectCategory(t);
    Converter.SetBaseUnit(0);
    Converter.SetTargetUnit(1);
    EXPECT_TRUE(Close(Converter.Convert(100), 212, 1e-17L));
    Converter.SetTargetUnit(0);
    EXPECT_TRUE(Close(Converter.Convert(36.6L), 36.6L, 1e-17L));
    Converter.SetTargetUnit(9); // no unit there: the reference unit
    EXPECT_EQ(Converter.TargetCoef, 1.0L);
    EXPECT_EQ(Converter.TargetOffset, 0.0L);
}

} // namespace
