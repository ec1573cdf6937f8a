#include "shell/uQtTranslation.h"

#include "shell/uProgramTranslator.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {

// Qt's catalogue for a language. Some catalogues still carry the standard
// button texts under their older context only; those are looked up there
// when the current one has none.
class TQtTranslator : public QTranslator
{
public:
    using QTranslator::QTranslator;

    bool Load(const QString &code)
    {
        return m_catalogue.load(QStringLiteral("qt_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }

    QString translate(const char *context, const char *sourceText, const char *disambiguation, int n) const override
    {
        QString text = m_catalogue.translate(context, sourceText, disambiguation, n);
        if (text.isEmpty() && qstrcmp(context, "QPlatformTheme") == 0)
            text = m_catalogue.translate("QDialogButtonBox", sourceText, disambiguation, n);
        return text;
    }

    bool isEmpty() const override { return m_catalogue.isEmpty(); }

private:
    QTranslator m_catalogue;
};

QPointer<TQtTranslator> Installed;
QString InstalledCode;

} // namespace

void ApplyQtTranslation()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    TProgramTranslator *t = TProgramTranslator::Instance();
    QString code =
        t->IsLoaded() ? t->Translate(QStringLiteral("Info"), QStringLiteral("LanguageIsoCode"), QString()) : QString();
    code = code.left(2).toLower();
    const auto letter = [](QChar c) { return c >= u'a' && c <= u'z'; };
    if (code.size() != 2 || !letter(code.at(0)) || !letter(code.at(1)) || code == QLatin1String("en"))
        code.clear();
    if (Installed && code == InstalledCode)
        return;
    if (Installed) {
        QCoreApplication::removeTranslator(Installed);
        delete Installed;
    }
    InstalledCode.clear();
    if (code.isEmpty())
        return;
    auto *translator = new TQtTranslator(app);
    if (translator->Load(code) && QCoreApplication::installTranslator(translator)) {
        Installed = translator;
        InstalledCode = code;
    } else {
        delete translator;
    }
}
