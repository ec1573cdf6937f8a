#include "core/uVariableManager.h"

namespace {
TVariableManager *TheInstance = nullptr;
}

TVariableManager *TVariableManager::Instance()
{
    return SingleInstance(TheInstance, [] { return new TVariableManager(); });
}

void TVariableManager::FreeInstance()
{
    FreeSingleInstance(TheInstance);
}

int TVariableManager::Count() const
{
    return Variables.Count();
}

bool TVariableManager::Exists(const QString &Name) const
{
    return Variables.IndexOfName(Name) >= 0;
}

QString TVariableManager::GetValue(const QString &Name) const
{
    return Variables.Values(Name);
}

void TVariableManager::SetValue(const QString &Name, const QString &Value)
{
    if (Name.isEmpty())
        return;
    if (Exists(Name)) {
        // An empty value would delete the line: a known variable keeps its value.
        if (!Value.isEmpty())
            Variables.SetValues(Name, Value);
    } else {
        Variables.Add(Name + QLatin1Char('=') + Value);
    }
}

void TVariableManager::Merge(const TStringList &Lines)
{
    for (int i = 0; i < Lines.Count(); ++i) {
        const QString name = Lines.Names(i);
        if (!name.isEmpty() && Exists(name))
            Variables.SetValues(name, Lines.ValueFromIndex(i));
        else
            Variables.Add(Lines.Strings(i));
    }
}

void TVariableManager::Clear()
{
    Variables.Clear();
}

void TVariableManager::CopyTo(TStringList &Lines) const
{
    Lines.Clear();
    Lines.AddStrings(Variables);
}

void TVariableManager::LoadFromFile(const QString &FileName)
{
    // Read into a separate list first so that a failed read keeps the variables.
    TStringList loaded;
    loaded.LoadFromFile(FileName);
    Variables.Assign(loaded);
}

void TVariableManager::SaveToFile(const QString &FileName) const
{
    Variables.SaveToFile(FileName);
}

TVariableLookup::TVariableLookup(const TVariableManager &Variables) : m_count(Variables.Count())
{
    const TStringList &lines = Variables.Variables;
    m_values.reserve(lines.Count());
    for (int i = 0; i < lines.Count(); ++i) {
        const QString &line = lines[i];
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        // The first line of a name is the one the list's own look-up finds.
        const QString key = line.left(eq).toCaseFolded();
        if (!m_values.contains(key))
            m_values.insert(key, line.mid(eq + 1));
    }
}

bool TVariableLookup::Exists(const QString &Name) const
{
    return m_values.contains(Name.toCaseFolded());
}

QString TVariableLookup::GetValue(const QString &Name) const
{
    return m_values.value(Name.toCaseFolded());
}
