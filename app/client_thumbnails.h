// The thumbnails of the client's blocks of one type, decoded in worker
// threads so that the window never waits on a picture: a view asks for the
// thumbnails it draws, gets a null image for one not decoded yet and hears
// Ready when it is. The newest asks are decoded first, so that the screen
// scrolled to fills before the ones scrolled past; the asks waiting and the
// thumbnails kept are bounded, so memory stays bounded however far the view
// scrolls.
#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QThreadPool>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

#include "gamefiles/art_source.h"
#include "gamefiles/client_folder.h"

// The thumbnail of block `n` of `fileId` (an animation's: the first frame of
// direction 0, else of the first direction that has one; a house's: drawn
// from `art`), at most `side` pixels wide and high; null for a block without
// a picture.
QImage ClientThumbnail(std::uint8_t fileId, std::int32_t n, ByteView bytes, std::int16_t flagA, std::int16_t flagB,
                       const std::vector<std::int32_t>& radarColors, int side, ArtSource* art = nullptr);

class ClientThumbnails : public QObject {
    Q_OBJECT
public:
    // The pixels of the thumbnails kept: 64 MiB, about 4,000 thumbnails at
    // the default size, some twenty screens.
    static constexpr qint64 kCacheBytes = qint64{64} << 20;
    // Asks waiting beyond this drop the oldest: they were scrolled past.
    static constexpr std::size_t kMostWaiting = 2048;

    explicit ClientThumbnails(QObject* parent = nullptr);
    ~ClientThumbnails() override;

    // Starts over on the blocks of `fileId` in `form` of `folder`, as
    // ClientBlocks opens them; nothing is decoded without a folder. Houses
    // are drawn with `patchArt` over the folder's art.
    void Reset(std::shared_ptr<const ClientFolder> folder, std::uint8_t fileId, Form form, bool withVerdata,
               std::shared_ptr<const std::vector<std::int32_t>> radarColors, int side,
               std::shared_ptr<const PatchArtLayer> patchArt = nullptr);
    // Forgets what was decoded at another size and decodes at `side`.
    void SetSide(int side);
    int Side() const { return side_; }

    // The thumbnail of block n when decoded; else a null image, and n is
    // decoded in a worker thread (Ready says when).
    QImage Get(std::int32_t n);
    // Whether block n was decoded and is kept, or has no picture.
    bool Decoded(std::int32_t n) const { return cache_.contains(n) || lacking_.count(n) > 0; }

    qint64 CachedBytes() const { return cache_.totalCost(); }
    // Waits for every decoding asked for and takes their thumbnails in, for
    // tests and the benchmarks.
    void Wait();
    // Called in the thread that decodes, before each block: for tests.
    void SetDecodeWatcher(std::function<void()> watcher);

signals:
    void Ready(std::int32_t n);

private:
    struct Shared;
    void Start();
    void Deliver(unsigned generation, std::int32_t n, QImage image);

    std::shared_ptr<Shared> shared_;
    QThreadPool pool_;
    QCache<std::int32_t, QImage> cache_;
    std::unordered_set<std::int32_t> lacking_;
    std::unordered_set<std::int32_t> asked_;  // waiting or being decoded
    int side_ = 64;
};
