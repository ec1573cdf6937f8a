#pragma once
// The dialog that edits one expression of a library (name, expression text,
// description, variables with their descriptions) for the expression
// browser, which fills it, shows it modally and reads it back after OK.
#include "shell/uTranslationTable.h"

#include <QDialog>
#include <QString>
#include <QStringList>

namespace Ui {
class TUpravyVyrazuFrm;
}

class TUpravyVyrazuFrm : public QDialog
{
public:
    explicit TUpravyVyrazuFrm(QWidget *parent = nullptr);
    ~TUpravyVyrazuFrm() override;

    // Name, expression, description and variables emptied.
    void Clear();
    // The fields of an expression: its description as lines, its variables
    // as 'name=description' lines.
    void SetExpression(const QString &name, const QString &notation, const QStringList &description,
                       const QStringList &variables);

    // What the browser reads after OK.
    QString Name() const;
    QString Notation() const;
    QStringList DescriptionLines() const;
    QStringList VariableLines() const;
    // The names confirmed with OK during this run, offered in the name's list.
    QStringList KnownNames() const;

    // Every variable of the expression (the text after its first "=") that
    // has no row yet gets one with an empty description; rows of names that
    // no longer occur stay.
    void AddMissingVariables();

    void TranslateTexts();

    QString NoExpressionNameErr;
    QString NoExpressionErr;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void nazovCmbChange();
    void okBtnClick();

    Ui::TUpravyVyrazuFrm *ui;
    TTranslationTable m_texts;
};

// The one dialog, created on first use as a child of Owner (it goes with
// it); later calls return the same dialog.
TUpravyVyrazuFrm *GetUpravyVyrazuFrm(QWidget *owner);
bool UpravyVyrazuFrmExists();
