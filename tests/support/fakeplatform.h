#pragma once

#include "platform/platform.h"

#include <QList>
#include <QMap>

namespace vistrel::test {

// A platform whose answers the test sets and whose actions it records.
class FakePlatform : public Platform {
public:
    QString home;
    QString launchctl;
    QString stateFile;
    QStringList languages{QStringLiteral("en-US")};
    int videoAuthorization = capture::notDetermined;
    int audioAuthorization = capture::notDetermined;
    bool openUrlSucceeds = true;
    bool openApplicationSucceeds = true;

    QList<QUrl> openedUrls;
    QStringList openedApplications;
    QVariantMap defaults;
    QStringList clipboard;
    int terminations = 0;

    QString homeDirectory() const override { return home; }
    QString launchctlPath() const override { return launchctl; }
    QString serviceStateFile() const override { return stateFile; }
    bool openUrl(const QUrl &url) override {
        openedUrls.append(url);
        return openUrlSucceeds;
    }
    bool openApplication(const QString &id) override {
        openedApplications.append(id);
        return openApplicationSucceeds;
    }
    int captureAuthorization(CaptureKind kind) const override {
        return kind == CaptureKind::Video ? videoAuthorization : audioAuthorization;
    }
    QStringList preferredLanguages() const override { return languages; }
    QVariant userDefault(const QString &key) const override { return defaults.value(key); }
    void setUserDefault(const QString &key, const QVariant &value) override { defaults.insert(key, value); }
    void setClipboardText(const QString &text) override { clipboard.append(text); }
    void terminateApplication() override { ++terminations; }
};

} // namespace vistrel::test
