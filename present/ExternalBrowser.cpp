#include "ExternalBrowser.h"

#include "Launcher.h"
#include "codepage.h"

bool OpenInSystemBrowser(const QUrl& url)
{
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
        url.host().isEmpty())
        return false;
    const std::string encoded = url.toEncoded().toStdString();
    return IsWebUrl(encoded) && Launcher().OpenUrl(encoded);
}

bool OpenInSystemBrowser(const std::string& ansiUrl)
{
    const QString text = QString::fromStdString(AnsiToUtf8(ansiUrl)).trimmed();
    return OpenInSystemBrowser(QUrl(text, QUrl::StrictMode).isValid() ? QUrl(text, QUrl::StrictMode)
                                                                        : QUrl(text, QUrl::TolerantMode));
}
