#include "app/client_thumbnails.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <deque>
#include <mutex>

#include "app/block_picture.h"
#include "app/picture_view.h"
#include "codecs/anim_frames.h"
#include "codecs/file_ids.h"
#include "gamefiles/anim_layout.h"
#include "gamefiles/client_blocks.h"
#include "images/anim_canvas.h"
#include "images/block_drawing.h"

QImage ClientThumbnail(std::uint8_t fileId, std::int32_t n, ByteView bytes, std::int16_t flagA, std::int16_t flagB,
                       const std::vector<std::int32_t>& radarColors, int side, ArtSource* art) {
    QImage picture;
    if (fileId == kMultis) {
        if (art) picture = DrawMulti(bytes, *art, false).image;
    } else if (fileId == kAnim) {
        const AnimDecoding anim = DecodeAnimationFrames(bytes);
        if (!anim.numbers.empty()) picture = AnimPlayedFrame(anim.animation, 0, AnimCanvasBox(anim.animation));
    } else {
        const BlockPicture drawn = PictureOfBlock({fileId, n}, PatchBlock{n, flagA, flagB, BlockBytes::CopyOf(bytes)}, radarColors);
        picture = ClearedCells(drawn.image, drawn.transparent);
    }
    if (picture.isNull() || side <= 0) return {};
    // Small pictures keep their cells; large ones shrink to the thumbnail.
    if (picture.width() > side || picture.height() > side)
        picture = picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

struct ClientThumbnails::Shared {
    std::mutex mutex;
    unsigned generation = 0;
    std::shared_ptr<const ClientFolder> folder;
    std::uint8_t fileId = 0;
    Form form = Form::kIndexed;
    bool withVerdata = true;
    std::shared_ptr<const std::vector<std::int32_t>> radarColors;
    std::shared_ptr<const PatchArtLayer> patchArt;
    int side = 64;
    std::deque<std::int32_t> waiting;  // the newest at the back
    int running = 0;
    // Readers not in use, with the generation they were opened for: each
    // worker reads with one of its own, none is shared between threads.
    std::vector<std::pair<unsigned, std::unique_ptr<ClientBlocks>>> readers;
    // The same for the art houses are drawn from.
    std::vector<std::pair<unsigned, std::unique_ptr<ArtSource>>> arts;
    std::function<void()> watcher;
};

ClientThumbnails::ClientThumbnails(QObject* parent) : QObject(parent), shared_(std::make_shared<Shared>()) {
    pool_.setMaxThreadCount(std::max(2, QThread::idealThreadCount() - 1));
    cache_.setMaxCost(kCacheBytes);
}

ClientThumbnails::~ClientThumbnails() {
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->waiting.clear();
    }
    pool_.waitForDone();
}

void ClientThumbnails::Reset(std::shared_ptr<const ClientFolder> folder, std::uint8_t fileId, Form form,
                             bool withVerdata, std::shared_ptr<const std::vector<std::int32_t>> radarColors, int side,
                             std::shared_ptr<const PatchArtLayer> patchArt) {
    {
        const std::lock_guard lock(shared_->mutex);
        ++shared_->generation;
        shared_->waiting.clear();
        shared_->readers.clear();
        shared_->arts.clear();
        shared_->patchArt = std::move(patchArt);
        shared_->folder = std::move(folder);
        shared_->fileId = fileId;
        shared_->form = form;
        shared_->withVerdata = withVerdata;
        shared_->radarColors = std::move(radarColors);
        shared_->side = side;
    }
    side_ = side;
    cache_.clear();
    lacking_.clear();
    asked_.clear();
}

void ClientThumbnails::SetSide(int side) {
    {
        const std::lock_guard lock(shared_->mutex);
        ++shared_->generation;  // the readers stay: the blocks are the same
        for (auto& reader : shared_->readers) reader.first = shared_->generation;
        for (auto& art : shared_->arts) art.first = shared_->generation;
        shared_->waiting.clear();
        shared_->side = side;
    }
    side_ = side;
    cache_.clear();
    lacking_.clear();
    asked_.clear();
}

void ClientThumbnails::SetDecodeWatcher(std::function<void()> watcher) {
    const std::lock_guard lock(shared_->mutex);
    shared_->watcher = std::move(watcher);
}

QImage ClientThumbnails::Get(std::int32_t n) {
    if (const QImage* image = cache_.object(n)) return *image;
    if (lacking_.count(n)) return {};
    const std::lock_guard lock(shared_->mutex);
    if (!shared_->folder) return {};
    auto& waiting = shared_->waiting;
    if (!asked_.insert(n).second) {
        // Asked again while waiting: it moves to the front of the line.
        const auto at = std::find(waiting.rbegin(), waiting.rend(), n);
        if (at == waiting.rend()) return {};  // being decoded
        waiting.erase(std::next(at).base());
    }
    waiting.push_back(n);
    if (waiting.size() > kMostWaiting) {
        asked_.erase(waiting.front());
        waiting.pop_front();
    }
    if (shared_->running < pool_.maxThreadCount()) {
        ++shared_->running;
        Start();
    }
    return {};
}

void ClientThumbnails::Start() {
    pool_.start([shared = shared_, self = this] {
        for (;;) {
            std::unique_lock lock(shared->mutex);
            if (shared->waiting.empty()) {
                --shared->running;
                return;
            }
            const std::int32_t n = shared->waiting.back();
            shared->waiting.pop_back();
            const unsigned generation = shared->generation;
            const auto folder = shared->folder;
            const auto radar = shared->radarColors;
            const std::uint8_t fileId = shared->fileId;
            const Form form = shared->form;
            const bool withVerdata = shared->withVerdata;
            const int side = shared->side;
            const std::function<void()> watcher = shared->watcher;
            std::unique_ptr<ClientBlocks> reader;
            auto& readers = shared->readers;
            if (const auto free = std::find_if(readers.begin(), readers.end(), [&](const auto& r) { return r.first == generation; });
                free != readers.end()) {
                reader = std::move(free->second);
                readers.erase(free);
            }
            std::unique_ptr<ArtSource> art;
            if (fileId == kMultis) {
                auto& arts = shared->arts;
                const auto free = std::find_if(arts.begin(), arts.end(), [&](const auto& a) { return a.first == generation; });
                if (free != arts.end()) {
                    art = std::move(free->second);
                    arts.erase(free);
                } else {
                    art = std::make_unique<ArtSource>();
                    art->SetPatch(shared->patchArt);
                }
            }
            lock.unlock();

            if (watcher) watcher();
            if (!reader) {
                reader = std::make_unique<ClientBlocks>();
                if (!reader->Open(*folder, fileId, form, withVerdata)) reader.reset();
            }
            if (art) art->OpenClient(folder->Path(), withVerdata);
            QImage image;
            try {
                // An animation entry stands for its action's five directions.
                const int tries = fileId == kAnim ? kAnimDirections : 1;
                for (int d = 0; reader && d < tries && image.isNull(); ++d) {
                    const ClientBlock block = reader->Block(n + d);
                    if (block.HasData())
                        image = ClientThumbnail(fileId, n + d, block.bytes, block.flagA, block.flagB, *radar, side, art.get());
                }
            } catch (const std::bad_alloc&) {
                image = QImage();  // shown as a block without a picture
            }

            lock.lock();
            if (reader && generation == shared->generation) readers.emplace_back(generation, std::move(reader));
            if (art && generation == shared->generation) shared->arts.emplace_back(generation, std::move(art));
            lock.unlock();
            QMetaObject::invokeMethod(
                self, [self, generation, n, image = std::move(image)] { self->Deliver(generation, n, image); },
                Qt::QueuedConnection);
        }
    });
}

void ClientThumbnails::Deliver(unsigned generation, std::int32_t n, QImage image) {
    {
        const std::lock_guard lock(shared_->mutex);
        if (generation != shared_->generation) return;
    }
    asked_.erase(n);
    const qint64 cost = std::max<qint64>(1, image.sizeInBytes());
    if (image.isNull()) lacking_.insert(n);
    else cache_.insert(n, new QImage(std::move(image)), cost);
    emit Ready(n);
}

void ClientThumbnails::Wait() {
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
