#pragma once
// The modal dialog that adds or changes one constant: ID (a "$" and lower-case
// letters or digits), description, value and unit.
#include "shell/uTranslationTable.h"

#include <QDialog>
#include <QString>

class QLineEdit;
namespace Ui {
class TuprKonstFrm;
}

class TuprKonstFrm : public QDialog
{
public:
    // The one dialog, created and translated on first use and reused.
    static TuprKonstFrm *Instance();
    static bool Exists();
    static void FreeInstance();

    void TranslateTexts();

    QLineEdit *Edit1() const; // ID
    QLineEdit *Edit2() const; // value
    QLineEdit *Edit3() const; // description
    QLineEdit *Edit4() const; // unit

    QString msgIdNotEntered;
    QString msgIncorrectValue;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TuprKonstFrm(QWidget *parent = nullptr);
    ~TuprKonstFrm() override;

    void okBtnClick();
    void Edit1Change();
    bool Edit1KeyPress(QChar key);
    bool Edit2KeyPress(QChar &key);

    Ui::TuprKonstFrm *ui;
    TTranslationTable m_texts;
};
