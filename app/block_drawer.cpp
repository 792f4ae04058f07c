#include "app/block_drawer.h"

#include <QCoreApplication>
#include <mutex>
#include <optional>

#include "codecs/file_ids.h"
#include "images/block_drawing.h"

struct BlockDrawer::Shared {
    std::mutex mutex;
    unsigned generation = 0;
    std::optional<Request> waiting;
    bool running = false;
    ArtSource art;  // used by the one running worker only
};

BlockDrawer::BlockDrawer(QObject* parent) : QObject(parent), shared_(std::make_shared<Shared>()) {
    pool_.setMaxThreadCount(1);
}

BlockDrawer::~BlockDrawer() {
    Cancel();
    pool_.waitForDone();
}

void BlockDrawer::Draw(Request asked) {
    const std::lock_guard held(shared_->mutex);
    ++shared_->generation;
    shared_->waiting = std::move(asked);
    if (shared_->running) return;
    shared_->running = true;
    pool_.start([shared = shared_, self = this] {
        for (;;) {
            std::unique_lock lock(shared->mutex);
            if (!shared->waiting) {
                shared->running = false;
                return;
            }
            Request request = std::move(*shared->waiting);
            shared->waiting.reset();
            const unsigned generation = shared->generation;
            lock.unlock();

            QImage image;
            QString summary;
            try {
                shared->art.SetPatch(request.patch);
                shared->art.OpenClient(request.folder, request.withVerdata);
                const bool multi = request.id.fileId == kMultis;
                const BlockDrawing drawing = multi ? DrawMulti(request.bytes, shared->art, request.showHidden)
                                                   : DrawMapBlock(request.bytes, request.id.blockNumber, shared->art);
                image = drawing.image;
                summary = QString::fromStdString(DrawingSummary(drawing, shared->art, multi));
            } catch (const std::bad_alloc&) {
                summary = QStringLiteral("There is not enough memory to draw it.");
            }
            shared->art.SetPatch(nullptr);  // the patch's bytes are not held past the drawing
            QMetaObject::invokeMethod(
                self,
                [self, shared, generation, id = request.id, image = std::move(image), summary = std::move(summary)] {
                    {
                        const std::lock_guard current(shared->mutex);
                        if (generation != shared->generation) return;
                    }
                    emit self->Drawn(id, image, summary);
                },
                Qt::QueuedConnection);
        }
    });
}

void BlockDrawer::Cancel() {
    const std::lock_guard lock(shared_->mutex);
    ++shared_->generation;
    shared_->waiting.reset();
}

void BlockDrawer::Wait() {
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
