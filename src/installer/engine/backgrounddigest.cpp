#include "backgrounddigest.h"

#include <QCryptographicHash>
#include <QFile>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <condition_variable>
#include <mutex>

namespace vistrel {

namespace {

// Threads that wait for a writer; kept apart from the pool that copies and removes bundles.
// Never destroyed, so that a digest still running while the program ends has its thread.
QThreadPool &digestThreads() {
    static QThreadPool *const pool = new QThreadPool;
    return *pool;
}

constexpr qint64 readSize = 1024 * 1024;

} // namespace

struct BackgroundDigest::State {
    std::mutex mutex;
    std::condition_variable changed;
    qint64 written = 0;
    bool finished = false;
    bool abandoned = false;
};

BackgroundDigest::BackgroundDigest(const QString &path)
    : m_state(std::make_shared<State>()) {
    m_result = QtConcurrent::run(&digestThreads(), [state = m_state, path]() -> QByteArray {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return {};
        QCryptographicHash hash(QCryptographicHash::Sha256);
        QByteArray buffer(readSize, Qt::Uninitialized);
        qint64 hashed = 0;
        for (;;) {
            qint64 available = 0;
            bool last = false;
            {
                std::unique_lock lock(state->mutex);
                state->changed.wait(lock,
                                    [&] { return state->written > hashed || state->finished || state->abandoned; });
                if (state->abandoned)
                    return {};
                available = state->written;
                last = state->finished;
            }
            while (hashed < available) {
                const qint64 n = file.read(buffer.data(), std::min(readSize, available - hashed));
                if (n <= 0)
                    return {};
                hash.addData(QByteArrayView(buffer.constData(), n));
                hashed += n;
            }
            if (last)
                return hash.result().toBase64();
        }
    });
}

BackgroundDigest::~BackgroundDigest() {
    const std::lock_guard lock(m_state->mutex);
    m_state->abandoned = !m_state->finished;
    m_state->changed.notify_all();
}

void BackgroundDigest::written(qint64 bytes) {
    const std::lock_guard lock(m_state->mutex);
    m_state->written = bytes;
    m_state->changed.notify_all();
}

QFuture<QByteArray> BackgroundDigest::finish() {
    const std::lock_guard lock(m_state->mutex);
    m_state->finished = true;
    m_state->changed.notify_all();
    return m_result;
}

} // namespace vistrel
