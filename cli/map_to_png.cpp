#include <ostream>

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/command_runs.h"
#include "codecs/file_ids.h"
#include "codecs/png_stream.h"
#include "gamefiles/forms/form.h"
#include "gamefiles/map_radar.h"
#include "gamefiles/radarcol.h"
#include "io/save_file.h"
#include "patch/settle_duplicates.h"

namespace {
// Rows drawn at a time: a band of the picture, never the whole of it.
constexpr std::int32_t kBandRows = 512;

// Fails when `target` is one of the files the picture is drawn from.
Status RefuseInputs(const std::string& target, const std::string& folder, const std::string& radarcol,
                    const OptionValues& options) {
    Result<ClientFolder> opened = ClientFolder::Open(folder);
    if (!opened) return opened.error();
    std::vector<std::optional<ClientFile>> inputs = {opened->Verdata()};
    for (std::uint8_t id : {kMap, kStatics}) {
        const ClientTypeFiles& files = opened->Files(id);
        inputs.insert(inputs.end(), {files.data, files.index, files.package});
    }
    for (const std::optional<ClientFile>& input : inputs)
        if (input)
            if (Status refused = RefuseOverwriting(target, input->path, "the client's " + input->name); !refused)
                return refused;
    if (Status refused = RefuseOverwriting(target, radarcol, "the radar colours"); !refused) return refused;
    return options.patch ? RefuseOverwriting(target, *options.patch, "the patch") : Status();
}
}  // namespace

CommandResult MapToPng(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string &folder = args.Text("CLIENT_DIR"), &target = args.Text("OUT.png");
    const std::int64_t scale = args.scale ? args.scale->numbers[0] : 1;
    if (scale < 1) return UsageError("--scale needs a number from 1 on, not '" + args.scale->text + "'");
    std::shared_ptr<const MapPatchLayer> layer;
    if (args.patch) {
        Patch patch;
        if (Status read = ReadPatchOrVerdata(*args.patch, patch); !read) return read.error();
        SettleDuplicates(patch);
        layer = std::make_shared<const MapPatchLayer>(patch);
    }
    const std::string radarcol = RadarcolIn(folder);
    if (radarcol.empty()) return Error("The client folder '" + folder + "' lacks radarcol.mul.");
    Result<std::vector<std::int32_t>> colors = ReadRadarColors(radarcol);
    if (!colors) return colors.error();
    Result<std::shared_ptr<MapRadar>> radar = MapRadar::Open(folder, args.clientVerdata != "ignore", std::move(*colors), layer);
    if (!radar) return radar.error();
    const MapRadar& map = **radar;
    std::int64_t x = 0, y = 0, w = map.Width(), h = map.Height();
    if (args.area) {
        const std::vector<std::int64_t>& a = args.area->numbers;
        if (a[2] < 1 || a[3] < 1 || a[0] + a[2] > w || a[1] + a[3] > h)
            return Error("The area " + args.area->text + " does not lie inside the map's " + std::to_string(w) + " x " +
                         std::to_string(h) + " cells (X,Y,W,H with W and H at least 1).");
        x = a[0], y = a[1], w = a[2], h = a[3];
    }
    if (Status refused = RefuseInputs(target, folder, radarcol, args); !refused) return refused.error();
    const auto width = static_cast<std::int32_t>((w + scale - 1) / scale), height = static_cast<std::int32_t>((h + scale - 1) / scale);
    SaveFile file;
    if (Status opened = file.Open(target); !opened) return opened.error();
    PngStream png(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), [&file](ByteView bytes) { file.Write(bytes); });
    const PictureAxis xs = PictureAxis::Scaled(static_cast<std::int32_t>(x), width, static_cast<std::int32_t>(scale),
                                               static_cast<std::int32_t>(x + w));
    std::vector<std::uint8_t> band(static_cast<std::size_t>(width) * 3 * kBandRows);
    for (std::int32_t row = 0; row < height; row += kBandRows) {
        const std::int32_t rows = std::min(kBandRows, height - row);
        const PictureAxis ys = PictureAxis::Scaled(static_cast<std::int32_t>(y + row * scale), rows,
                                                   static_cast<std::int32_t>(scale), static_cast<std::int32_t>(y + h));
        if (Status drawn = map.Draw(xs, ys, band.data(), static_cast<std::size_t>(width) * 3); !drawn) return drawn.error();
        png.AddRows(band.data(), static_cast<std::uint32_t>(rows), static_cast<std::size_t>(width) * 3);
    }
    if (Status done = png.Finish(); !done) return done.error();
    if (Status done = file.Commit(); !done) return done.error();
    session.Report(out,
                   "Wrote " + std::to_string(width) + "x" + std::to_string(height) + " pixels of cells " +
                       std::to_string(x) + "," + std::to_string(y) + " to " + std::to_string(x + w - 1) + "," +
                       std::to_string(y + h - 1) + " to " + target + ".\n",
                   {{"written", target}, {"width", width}, {"height", height}, {"scale", scale}});
    return kDone;
}
