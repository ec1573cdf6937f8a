#pragma once
// The about window: the program's name, version and date, its picture, and
// links to the maker's home page, contact address and donation page.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

#include <QByteArray>
#include <QImage>

namespace Ui {
class ToProgrameFrm;
}

// Decodes a JPEG picture with libjpeg. A damaged or truncated picture (any
// error or corrupt-data warning of the decoder), or one of more than
// 4096 x 4096 pixels, gives a null image; the program goes on.
QImage DecodeJpegImage(const QByteArray &data);

class ToProgrameFrm : public KTandorelForm
{
public:
    explicit ToProgrameFrm(QWidget *parent = nullptr);
    ~ToProgrameFrm() override;

    void TranslateTexts() override;

    // Shows Data (JPEG) as the picture; a damaged one shows none.
    void SetPicture(const QByteArray &data);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void strankaLblClick();
    void kontaktLblClick();
    void donatePayPalSbtnClick();

    Ui::ToProgrameFrm *ui;
    TTranslationTable m_texts;
    bool m_placed = false;
};
