#include "captureaccess.h"

#include "platform/platform.h"

#include <QUrl>

namespace vistrel {

CaptureAccess::CaptureAccess(Platform &platform, QObject *parent)
    : QObject(parent)
    , m_platform(platform) {}

bool CaptureAccess::permissionsGranted() const {
    return m_cameraStatus == capture::authorized && m_micStatus == capture::authorized;
}

void CaptureAccess::update() {
    setStatus(m_cameraStatus, m_platform.captureAuthorization(CaptureKind::Video), &CaptureAccess::cameraStatusChanged);
    setStatus(m_micStatus, m_platform.captureAuthorization(CaptureKind::Audio), &CaptureAccess::micStatusChanged);
}

void CaptureAccess::setStatus(int &field, int status, void (CaptureAccess::*changed)()) {
    if (status == field)
        return;
    const bool granted = permissionsGranted();
    field = status;
    emit(this->*changed)();
    if (granted != permissionsGranted())
        emit permissionsGrantedChanged();
}

void CaptureAccess::openPrivacySettings(const QString &kind) {
    const QUrl url(kind == u"camera"
                       ? QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Camera")
                       : QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Microphone"));
    if (!url.isValid())
        return;
    m_platform.openUrl(url);
}

QString CaptureAccess::statusKey(int status) {
    switch (status) {
    case capture::authorized:
        return QStringLiteral("permissions.granted");
    case capture::denied:
        return QStringLiteral("permissions.denied");
    case capture::restricted:
        return QStringLiteral("permissions.restricted");
    default:
        return QStringLiteral("permissions.notSet");
    }
}

} // namespace vistrel
