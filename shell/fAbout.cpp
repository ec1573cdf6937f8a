#include "shell/fAbout.h"
#include "ui_fAbout.h"

#include "shell/uAccessibility.h"
#include "shell/uShellCommon.h"

#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QShowEvent>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

// libjpeg's own error handler ends the process; this one jumps back to the
// decoder, which gives up on the picture.
struct TJpegErrorManager
{
    jpeg_error_mgr Base;
    std::jmp_buf Escape;
};

extern "C" void JpegErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TJpegErrorManager *>(info->err)->Escape, 1);
}

// Level -1 is a warning about corrupt data: the decoder would go on and fill
// the rest with grey, which is no picture worth showing.
extern "C" void JpegEmitMessage(j_common_ptr info, int level)
{
    if (level < 0)
        std::longjmp(reinterpret_cast<TJpegErrorManager *>(info->err)->Escape, 1);
}

extern "C" void JpegOutputMessage(j_common_ptr) {}

constexpr unsigned MaxSide = 4096;

// The RGB pixels (malloc'ed, rows of Width * 3 bytes) or nullptr. Nothing with
// a destructor lives in this frame, because an error leaves it by longjmp.
unsigned char *DecodeRgb(const unsigned char *data, unsigned long size, unsigned *width, unsigned *height)
{
    jpeg_decompress_struct info;
    TJpegErrorManager errors;
    std::memset(&info, 0, sizeof info);
    unsigned char *volatile pixels = nullptr;
    info.err = jpeg_std_error(&errors.Base);
    errors.Base.error_exit = JpegErrorExit;
    errors.Base.emit_message = JpegEmitMessage;
    errors.Base.output_message = JpegOutputMessage;
    if (setjmp(errors.Escape)) {
        jpeg_destroy_decompress(&info);
        std::free(pixels);
        return nullptr;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_width == 0 || info.output_height == 0 || info.output_width > MaxSide || info.output_height > MaxSide
        || info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    const size_t stride = size_t(info.output_width) * 3;
    pixels = static_cast<unsigned char *>(std::malloc(stride * info.output_height));
    if (!pixels) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels + size_t(info.output_scanline) * stride;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) {
            // No more data although rows are missing.
            jpeg_destroy_decompress(&info);
            std::free(pixels);
            return nullptr;
        }
    }
    jpeg_finish_decompress(&info);
    *width = info.output_width;
    *height = info.output_height;
    jpeg_destroy_decompress(&info);
    return pixels;
}

} // namespace

QImage DecodeJpegImage(const QByteArray &data)
{
    if (data.isEmpty())
        return QImage();
    unsigned width = 0, height = 0;
    unsigned char *pixels = DecodeRgb(reinterpret_cast<const unsigned char *>(data.constData()),
                                      static_cast<unsigned long>(data.size()), &width, &height);
    if (!pixels)
        return QImage();
    const QImage image = QImage(pixels, int(width), int(height), int(width) * 3, QImage::Format_RGB888).copy();
    std::free(pixels);
    return image;
}

// ------------------------------------------------------------ ToProgrameFrm

ToProgrameFrm::ToProgrameFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::ToProgrameFrm)
{
    ui->setupUi(this);
    SetFixedTextColour(ui->nadpisLbl, QColor(0, 128, 0));
    ui->verziaLbl->setText(ProgramVersionText);
    ui->datumVerzieLbl->setText(ProgramVersionDate);
    ui->strankaLbl->setText(MakerWebAddress());
    ui->kontaktLbl->setText(QStringLiteral("info@") + MakerDomainName());
    ConnectLinkLabel(ui->strankaLbl, [this] { strankaLblClick(); });
    ConnectLinkLabel(ui->kontaktLbl, [this] { kontaktLblClick(); });
    connect(ui->donatePayPalSbtn, &QToolButton::clicked, this, [this] { donatePayPalSbtnClick(); });
    connect(ui->okBtn, &QPushButton::clicked, this, [this] {
        SetModalResult(mrOk);
        close();
    });

    QFile picture(QStringLiteral(":/images/about.jpg"));
    SetPicture(picture.open(QIODevice::ReadOnly) ? picture.readAll() : QByteArray());

    m_texts.Caption(this, "AboutForm", "Caption")
        .Text(ui->verziaTitulokLbl, "AboutForm", "Version")
        .Text(ui->datumVerzieTitulokLbl, "AboutForm", "DateOfVersion")
        .Text(ui->strankaTitulokLbl, "AboutForm", "Homepage")
        .Text(ui->kontaktTitulokLbl, "AboutForm", "Contact");
}

ToProgrameFrm::~ToProgrameFrm()
{
    delete ui;
}

void ToProgrameFrm::TranslateTexts()
{
    m_texts.Translate();
}

void ToProgrameFrm::SetPicture(const QByteArray &data)
{
    const QImage image = DecodeJpegImage(data);
    if (image.isNull())
        ui->obrazokImg->clear();
    else
        ui->obrazokImg->setPixmap(QPixmap::fromImage(image));
}

void ToProgrameFrm::showEvent(QShowEvent *event)
{
    KTandorelForm::showEvent(event);
    // Centred on the screen the first time it opens.
    if (m_placed || event->spontaneous())
        return;
    m_placed = true;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QSize size = frameGeometry().size();
        move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
    }
}

void ToProgrameFrm::strankaLblClick()
{
    OpenURL(MakerWebAddress(QStringLiteral("index.php?page=home&") + BuildQueryString(false)));
}

void ToProgrameFrm::kontaktLblClick()
{
    OpenMailtoLabel(ui->kontaktLbl);
}

void ToProgrameFrm::donatePayPalSbtnClick()
{
    OpenURL(MakerWebAddress(QStringLiteral("donate")));
}
