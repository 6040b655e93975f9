#include "output/UploadFailure.h"

#include "service/ServiceConfiguration.h"

#include <QCoreApplication>
#include <QUrl>

namespace {

// Gives the texts below a translation context of their own.
struct UploadFailure {
    Q_DECLARE_TR_FUNCTIONS(UploadFailure)
public:
    static QString transportReason(const ShareReply &reply);
    static QString statusReason(const ShareReply &reply);
};

// The service's own words for an error, when they are a short line of text.
QString firstLineOf(const QString &body)
{
    const QString line = body.section(QLatin1Char('\n'), 0, 0).trimmed();
    return line.size() <= 120 && !line.contains(QLatin1Char('<')) ? line : QString();
}

QString UploadFailure::transportReason(const ShareReply &reply)
{
    const QString address = ServiceConfiguration::serviceBaseURL();
    if (!ServiceConfiguration::isConfigured())
        return tr("No sharing service is set up yet (Vornik tried %1).").arg(address);
    switch (reply.fault) {
    case TransportFault::Refused:
        return tr("The sharing service at %1 is not running: it refused the connection.").arg(address);
    case TransportFault::HostNotFound:
        return tr("The sharing service's host %1 could not be found.").arg(QUrl(address).host());
    case TransportFault::TimedOut:
        return tr("The sharing service at %1 did not answer in time.").arg(address);
    case TransportFault::Certificate:
        return tr("The certificate of the sharing service at %1 is not trusted (%2). Name the certificate to "
                  "trust with \"vornik --set-service URL --ca-file FILE\".")
            .arg(address, reply.errorText);
    case TransportFault::None:
    case TransportFault::Other:
        break;
    }
    return tr("The sharing service at %1 could not be reached: %2.").arg(address, reply.errorText);
}

QString UploadFailure::statusReason(const ShareReply &reply)
{
    const QString words = firstLineOf(reply.body);
    if (reply.status == 413)
        return tr("The sharing service refused the picture as too large (error 413).");
    if (words.isEmpty())
        return tr("The sharing service answered with error %1.").arg(reply.status);
    return tr("The sharing service answered with error %1: %2.").arg(QString::number(reply.status), words);
}

} // namespace

QString uploadFailureReason(const ShareReply &reply, bool replyIsLink)
{
    switch (reply.error) {
    case ShareError::Transport:
        return UploadFailure::transportReason(reply);
    case ShareError::HttpStatus:
        return UploadFailure::statusReason(reply);
    case ShareError::UnreadableReply:
        return UploadFailure::tr("The sharing service's answer could not be read.");
    case ShareError::FileMissing:
        return UploadFailure::tr("The picture's file was not there to send.");
    case ShareError::FileUnreadable:
        return UploadFailure::tr("The picture's file could not be read: %1.").arg(reply.errorText);
    case ShareError::None:
        break;
    }
    return replyIsLink ? QString() : UploadFailure::tr("The sharing service's answer was not a link to the picture.");
}
