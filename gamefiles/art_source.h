// What houses and map blocks are drawn from: art tiles, the items' heights
// and statics blocks, the patch's blocks before the client's. The patch's
// part is held apart from the patch (the bytes are shared, not copied) so
// that a worker thread draws from it while the document changes; the
// client's blocks are read through the source's own readers, one thread at
// a time.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "codecs/art_lookup.h"
#include "gamefiles/client_blocks.h"
#include "patch/last_blocks.h"
#include "patch/patch.h"

// The patch's live art, tiledata and statics blocks.
class PatchArtLayer {
public:
    explicit PatchArtLayer(const Patch& patch);
    // The patch's block n of one of those types, or nullptr.
    const BlockBytes* Find(std::uint8_t fileId, std::int32_t n) const;

private:
    LastBlocks art_, tiledata_, statics_;
};

class ArtSource : public ArtLookup {
public:
    ArtSource();
    ~ArtSource() override;
    ArtSource(const ArtSource&) = delete;
    ArtSource& operator=(const ArtSource&) = delete;

    // The patch's blocks that lie over the client's; none: the client's alone.
    void SetPatch(std::shared_ptr<const PatchArtLayer> patch) { patch_ = std::move(patch); }
    // Reads what the patch lacks from the client folder `dir` ("": none),
    // with its verdata.mul over the data files when asked. What cannot be
    // read is said by Lacking(), and the blocks it would give have no data.
    // Opens again only when the folder or the verdata choice changed.
    void OpenClient(const std::string& dir, bool withVerdata);
    // What the drawing lacks, for a note under it: no folder chosen, a
    // folder that does not open, or the art, tiledata or statics it lacks.
    const std::vector<Lack>& Lacking() const override { return lacking_; }

    // Block n of art, tiledata or statics: the patch's, else the client's;
    // empty when neither has data. Valid until the next call.
    ByteView Block(std::uint8_t fileId, std::int32_t n) override;

private:
    std::shared_ptr<const PatchArtLayer> patch_;
    std::optional<std::string> openedDir_;
    bool openedVerdata_ = true;
    std::unique_ptr<ClientFolder> folder_;
    std::unique_ptr<ClientBlocks> art_, tiledata_, statics_;
    std::vector<Lack> lacking_;
};
