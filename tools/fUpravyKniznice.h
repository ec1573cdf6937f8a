#pragma once
// The dialog that edits a library's header (name, file, version, author,
// web, e-mail, description) for the expression browser, which fills it,
// shows it modally and reads it back after OK.
#include "shell/uTranslationTable.h"
#include "tools/model/uKniznica.h"

#include <QDialog>
#include <QString>

#include <functional>

class QFileDialog;
namespace Ui {
class TUpravyKnizniceFrm;
}

class TUpravyKnizniceFrm : public QDialog
{
public:
    explicit TUpravyKnizniceFrm(QWidget *parent = nullptr);
    ~TUpravyKnizniceFrm() override;

    // A new library: NewLibrary as name, version "0.0.0", the rest empty;
    // OK is enabled.
    void Clear();
    // The fields of Info, the description split into lines; OK is disabled
    // until something changes.
    void SetLibraryInfo(const TLibraryInfo &info);
    // The fields as a header, dated today in the system's short format.
    TLibraryInfo GetLibraryInfo() const;

    void TranslateTexts();

    // UserDataDir + LibraryPath: where the save dialog starts, where a file
    // name typed without a folder goes, and where libraries load from.
    QString LibraryFolder() const;

    // Set by the browser: true when another loaded library has this file.
    std::function<bool(const QString &fileName)> FileNameInUse;

    // Texts kept in fields.
    QString LibraryPath;
    QString NoLibraryNameErr;
    QString NoFileNameErr;
    QString FileNameUsedErr;
    QString NewLibrary;
    QString NewFileName;
    QString WrongLibraryDirectory;

    QFileDialog *SaveDialog1;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void nazovEdtChange();
    void okBtnClick();
    void vyberSuborBtnClick();

    Ui::TUpravyKnizniceFrm *ui;
    TTranslationTable m_texts;
};

// The one dialog, created on first use as a child of Owner (it goes with
// it); later calls return the same dialog.
TUpravyKnizniceFrm *GetUpravyKnizniceFrm(QWidget *owner);
// True once the dialog exists (and has not gone with its owner).
bool UpravyKnizniceFrmExists();
