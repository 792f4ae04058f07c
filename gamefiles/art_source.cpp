#include "gamefiles/art_source.h"

#include "codecs/file_ids.h"

PatchArtLayer::PatchArtLayer(const Patch& patch)
    : art_(patch, kArt), tiledata_(patch, kTiledata), statics_(patch, kStatics) {}

const BlockBytes* PatchArtLayer::Find(std::uint8_t fileId, std::int32_t n) const {
    return (fileId == kArt ? art_ : fileId == kTiledata ? tiledata_ : statics_).Find(n);
}

ArtSource::ArtSource() = default;
ArtSource::~ArtSource() = default;

void ArtSource::OpenClient(const std::string& dir, bool withVerdata) {
    if (openedDir_ == dir && openedVerdata_ == withVerdata) return;
    openedDir_ = dir;
    openedVerdata_ = withVerdata;
    art_.reset();
    tiledata_.reset();
    statics_.reset();
    folder_.reset();
    lacking_.clear();
    if (dir.empty()) {
        lacking_.emplace_back(kArt, "No client folder is chosen (Settings): only the patch's art is drawn.");
        return;
    }
    Result<ClientFolder> opened = ClientFolder::Open(dir);
    if (!opened) {
        lacking_.emplace_back(kArt, opened.error().message);
        return;
    }
    folder_ = std::make_unique<ClientFolder>(std::move(*opened));
    const struct {
        std::uint8_t fileId;
        std::unique_ptr<ClientBlocks>* reader;
        const char* without;
    } kReaders[] = {{kArt, &art_, "the art the patch lacks is outlined"},
                    {kTiledata, &tiledata_, "items are stacked as if flat"},
                    {kStatics, &statics_, "map blocks show only the patch's statics"}};
    for (const auto& r : kReaders) {
        const std::optional<Form> form = folder_->ShownForm(r.fileId);
        auto reader = std::make_unique<ClientBlocks>();
        Status status;
        if (!form) {
            const std::vector<std::string> missing = folder_->MissingFiles(r.fileId);
            status = Error("The client folder lacks " + (missing.empty() ? std::string("files of this type") : missing[0]));
        } else {
            status = reader->Open(*folder_, r.fileId, *form, withVerdata);
        }
        if (status) *r.reader = std::move(reader);
        else lacking_.emplace_back(r.fileId, status.error().message + ": " + r.without + ".");
    }
}

ByteView ArtSource::Block(std::uint8_t fileId, std::int32_t n) {
    if (patch_)
        if (const BlockBytes* held = patch_->Find(fileId, n)) return *held;
    ClientBlocks* reader = fileId == kArt ? art_.get() : fileId == kTiledata ? tiledata_.get() : fileId == kStatics ? statics_.get() : nullptr;
    if (!reader || n < 0) return {};
    const ClientBlock block = reader->Block(n);
    return block.damaged ? ByteView() : block.bytes;
}
