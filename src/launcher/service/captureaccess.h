#pragma once

#include <QObject>
#include <QString>

namespace vistrel {

class Platform;

// Camera and microphone authorization as the desktop reports it (0..3), and the way to the
// desktop's privacy settings.
class CaptureAccess : public QObject {
    Q_OBJECT
    Q_PROPERTY(int cameraStatus READ cameraStatus NOTIFY cameraStatusChanged)
    Q_PROPERTY(int micStatus READ micStatus NOTIFY micStatusChanged)
    Q_PROPERTY(bool permissionsGranted READ permissionsGranted NOTIFY permissionsGrantedChanged)

public:
    explicit CaptureAccess(Platform &platform, QObject *parent = nullptr);

    int cameraStatus() const { return m_cameraStatus; }
    int micStatus() const { return m_micStatus; }
    bool permissionsGranted() const;

    // Reads both authorizations afresh.
    Q_INVOKABLE void update();
    // "camera" exactly opens the camera privacy settings; anything else the microphone ones.
    Q_INVOKABLE void openPrivacySettings(const QString &kind);
    // "permissions.granted", "permissions.denied", "permissions.restricted" or "permissions.notSet".
    Q_INVOKABLE static QString statusKey(int status);

signals:
    void cameraStatusChanged();
    void micStatusChanged();
    void permissionsGrantedChanged();

private:
    void setStatus(int &field, int status, void (CaptureAccess::*changed)());

    Platform &m_platform;
    int m_cameraStatus = 0;
    int m_micStatus = 0;
};

} // namespace vistrel
