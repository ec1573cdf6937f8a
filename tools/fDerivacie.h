#pragma once
// The derivatives window: shows the derivative of the expression that the
// controller hands over, computed by the maker's online differentiation
// service for the chosen variable and order. The request runs in the
// background through the event loop; one request at a time, and only the
// reply to the latest one is ever shown. Two hidden buttons offer a local
// route through the expression tree (first derivative, folding).
#include "shell/uNetworkModule.h"
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

#include <QString>
#include <QTimer>

#include <memory>

namespace Ui {
class TderivacieFrm;
}

// The derivative an answer of the differentiation service carries: the text
// after the "OK:" it begins with, without blanks or line ends around it.
// Empty (the service's refusal) when the answer does not begin with "OK:",
// or when what follows is empty, no UTF-8, or holds a line break or another
// control character: the result field and the preview take one line.
QString DerivativeFromReply(const QByteArray &reply);

class TderivacieFrm : public KTandorelForm, public IDerivativeHandOver
{
public:
    explicit TderivacieFrm(QWidget *parent = nullptr);
    ~TderivacieFrm() override;

    // The hand-over: Expression becomes the function, its variables fill the
    // list ("x" selected when present, else the first), and a running
    // request and the old derivative are dropped.
    void SetFunction(const QString &expression) override;
    void TranslateTexts() override;

    // The derivative (normal colour) or an error (red) in the result box;
    // both end the busy cursor.
    void ShowResult(const QString &text);
    void ShowError(const QString &text);
    void SetBusyCursor(bool busy);

    // Whether a request is running.
    bool RequestRunning() const { return m_requesting; }
    // A silent service is given up after this long.
    int RequestTimeoutMs = 10000;
    // A reply larger than this is not a derivative.
    static constexpr qint64 MaxReplyBytes = 1024 * 1024;

    // The text shown when the service cannot be reached or fails.
    QString ConnectionErrorText;

protected:
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void DrawPreviewGlyph();
    void vypocetBtnClick();
    void nahladBtnClick();
    void Button1Click();
    void Button2Click();

    // Drops the running request, if any; its reply will never be shown.
    void AbortRequest();
    void RequestFinished(const TWebGet::TAnswer &answer);
    void RequestTimedOut();
    QString FaultText(const class EVyrazError &error) const;

    Ui::TderivacieFrm *ui;
    TTranslationTable m_texts;
    // Made with the first request: only then is the web module loaded.
    std::unique_ptr<TWebGet> m_web;
    bool m_requesting = false;
    QTimer m_timeout;
    // The tree's refusals, by fault.
    QString m_faultTexts[8];
};
