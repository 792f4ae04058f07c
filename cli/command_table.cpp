// The declaration of every command and option. A new command is one entry
// here and its function.
#include <cstdint>

#include "cli/command_runs.h"
#include "cli/declaration.h"

namespace {
ArgDeclaration File(const char* name) { return {name}; }
ArgDeclaration Folder(const char* name) { return {name, ArgKind::kFolder}; }
ArgDeclaration Number(const char* name, std::int64_t min, std::int64_t max) {
    return {name, ArgKind::kNumber, min, max};
}
ArgDeclaration Block() { return Number("BLOCK", 0, INT32_MAX); }
ArgDeclaration Flag(const char* name) { return Number(name, -32768, 65535); }
ArgDeclaration FileId() { return {"FILEID", ArgKind::kFileId}; }
ArgDeclaration Optional(ArgDeclaration arg) {
    arg.least = 0;
    return arg;
}
const ArgDeclaration kPatch = File("PATCH.uop");
}  // namespace

const std::vector<OptionDeclaration>& Options() {
    static const std::vector<OptionDeclaration> options = {
        {kBaseOption, "--base", "VERDATA.mul", "the client's own verdata.mul, merged under the patch", &OptionValues::base},
        {kFilesOption, "--files", "A-B", "only blocks of file IDs A to B (0-255)", &OptionValues::files, 255},
        {kBlocksOption, "--blocks", "A-B", "only blocks numbered A to B", &OptionValues::blocks, INT32_MAX},
        {kSkipAbsentOption, "--skip-absent", nullptr, "leaves out blocks without data", &OptionValues::skipAbsent},
        {kClientVerdataOption, "--client-verdata", "WHAT",
         "apply (the default): the client's verdata.mul lies over its data files (bake writes it in first); "
         "ignore: the data files alone",
         &OptionValues::clientVerdata, 0, {"apply", "ignore"}},
        {kCompactOption, "--compact", nullptr, "data files hold only what their live entries point at",
         &OptionValues::compact},
        {kTrustTypeOption, "--trust-type", nullptr,
         "imports a file whose name is another type's usual name (art.mul as gumps)", &OptionValues::trustType},
        {kClientOption, "--client", "DIR",
         "the client's folder: where the patch has no such block, a .json file's base is the client's block; a "
         "house's .png is drawn from its art",
         &OptionValues::client},
        {kTypeOption, "--type", "FILEID", "the type of the blocks, whatever the files' names say", &OptionValues::type},
        {kPackageVersionOption, "--package-version", "VERSION",
         "the package's version, 4 or 5 (else the one the client's own package of the type has)",
         &OptionValues::packageVersion, 0, {"4", "5"}},
        {kCompressionOption, "--compression", "HOW",
         "how the package's entries are stored: usual (as the client's own package stores them), none, zlib, or "
         "zlib2 (zlib over the second stage, as newer gump packages)",
         &OptionValues::compression, 0, {"usual", "none", "zlib", "zlib2"}},
        {kBasePackageOption, "--base", "PACKAGE",
         "a package whose entries that are no block (housing.bin) the written package carries",
         &OptionValues::basePackage},
        {kSkipDamagedOption, "--skip-damaged", nullptr,
         "converts without the source's damaged entries (counted on stderr) instead of failing",
         &OptionValues::skipDamaged},
        {kPatchOption, "--patch", "PATCH.uop",
         "the patch's map and statics blocks (and a map it carries whole) over the client's, each block's border "
         "cells marked",
         &OptionValues::patch},
        {kAreaOption, "--area", "X,Y,W,H", "only the W x H cells from cell X,Y (default the whole map)", &OptionValues::area,
         7168, {}, 4},
        {kScaleOption, "--scale", "N",
         "N cells a pixel each way, each pixel the cell at the top left of its square (default 1)", &OptionValues::scale,
         4096},
    };
    return options;
}

const std::vector<CommandDeclaration>& Commands() {
    static const std::vector<CommandDeclaration> commands = {
        {"list", {File("FILE")}, 0,
         "Lists the blocks of a patch project file or the entries of a verdata.mul: file ID, block number, length, "
         "FlagA, FlagB.",
         "patch.uop", List},
        {"insert", {kPatch, FileId(), Block(), File("IN.dat")}, 0,
         "Appends the raw file's bytes as a block (flags 0) and saves the patch; a missing patch starts empty.",
         "patch.uop 12 0x1F4 gump.dat", Insert, kInManifest},
        {"extract", {kPatch, FileId(), Block(), File("OUT.dat")}, 0, "Writes the bytes of the live block to a raw file.",
         "patch.uop 12 500 gump.dat", Extract},
        {"export", {kPatch, File("NEW.mul")}, kBaseOption,
         "Writes a verdata.mul from the patch, merged over the base verdata when given.",
         "patch.uop verdata.mul --base client/verdata.mul", Export, kInManifest},
        {"import",
         {kPatch, {"WHAT", ArgKind::kWords, 0, 0, {"uop", "verdata"}, true}, File("SOURCE"), Optional(File("INDEX.idx"))},
         kFilesOption | kBlocksOption | kSkipAbsentOption | kTrustTypeOption,
         "Appends blocks and saves the patch; a missing patch starts empty. uop and verdata take every file type "
         "of a patch project file or a verdata.mul (--files picks file IDs); a FILEID takes that type's blocks from "
         "a data file (with its index where the type has one), a game data package, a verdata.mul or a patch "
         "project file, each read as what its content shows it to be. Damaged entries are left out; --skip-absent "
         "also leaves out blocks without data. A file bearing another type's usual name (art.mul given as gumps) "
         "is refused unless --trust-type.",
         "patch.uop 12 gumpart.mul gumpidx.mul --blocks 0-100", Import, kInManifest},
        {"package", {File("FILE.uop")}, 0,
         "Lists a game data package: version, tables, and per entry its name hash, compression flag, stored and "
         "decoded size and its name where a legacy name scheme gives it.",
         "gumpartLegacyMUL.uop", ListPackage},
        {"gump-to-bmp", {kPatch, Block(), File("OUT.bmp")}, 0,
         "Writes the gump block's picture as a Windows bitmap (PNG when the name ends in .png).",
         "patch.uop 500 gump.bmp"},
        {"bmp-to-gump", {kPatch, Number("BLOCK", 0, 65535), File("IN.bmp")}, 0,
         "Builds gump block BLOCK (0-65535) from a bitmap or PNG picture and saves the patch.", "patch.uop 500 gump.png",
         nullptr, kInManifest},
        {"anim-to-png", {kPatch, Block(), Folder("DIR")}, 0,
         "Writes every frame of the anim block as a PNG picture, DIR/frame-000.png, frame-001.png, ... (transparent "
         "where no run covers it), and DIR/frames.json with the palette and each frame's centre. DIR is created "
         "when missing and must not hold frame pictures or frames.json yet. A block of more than 4,096 frames is "
         "refused; frames that do not decode (one wider or higher than 2,048 pixels, ...) are left out and named.",
         "patch.uop 110 frames"},
        {"png-to-anim", {kPatch, Block(), Folder("DIR")}, 0,
         "Builds anim block BLOCK from the pictures DIR/frame-*.png in name order (frame-2.png before frame-10.png) "
         "and saves the patch. Centres and the palette come from DIR/frames.json where it gives them (else the "
         "middle of the bottom edge, and the pictures' colours, at most 256); alpha below 128 is transparent.",
         "patch.uop 110 frames", nullptr, kInManifest},
        {"save-block", {kPatch, FileId(), Block(), File("FILE")}, kClientOption,
         "Writes the live block in the form FILE's extension names: art tiles, textures and gumps as .png or .bmp "
         "pictures (transparent where the block draws nothing), sounds as .wav, item data, hues, animation timings, "
         "houses, skills, statics and map blocks as .json (every field by name), any block as its raw bytes in .dat. "
         "A house (multi) is also written as a .png drawn from its components' art, the patch's art before the "
         "client's in --client DIR, as the editor's panel draws it (hidden components left out, components without "
         "art outlined). What the file cannot keep (a colour's top bit, half a sample) is said on stderr.",
         "patch.uop art 0x4001 item.png", nullptr},
        {"load-block", {kPatch, FileId(), Block(), File("FILE")}, kClientOption,
         "Builds the block from a file of a form save-block writes (a sound also from .flac or .ogg, converted to "
         "22,050 Hz mono 16-bit) and saves the patch; a missing patch starts empty. A land tile takes a 44 x 44 "
         "picture, a texture 64 x 64 or 128 x 128. The new block keeps the flags of the block it replaces (a gump's "
         "are its size), a static its header word, a sound its name. A .json file may hold only some records and "
         "fields: a record's \"index\" is its place in the block (records without one follow the one before), and "
         "what the file leaves out keeps the value of the patch's block of that number; else, with --client, of "
         "the client's; else the file must give every record and field. For instance "
         "{\"type\": \"tiledata-items\", \"entries\": [{\"index\": 5, \"name\": \"iron anvil\"}]} renames item 5 of "
         "its group. A file that cannot be used is refused and the patch stays unchanged.",
         "patch.uop tiledata 528 anvil.json --client client", nullptr, kInManifest},
        {"sound-to-wav", {kPatch, Block(), File("OUT.wav")}, 0, "Writes a sound block as a WAV file.",
         "patch.uop 42 sound.wav", SoundToWavCommand},
        {"compare",
         {kPatch, {"FILEID", ArgKind::kDataType},
          {"FILES", ArgKind::kFile, 0, 0, {}, false, 2, 4, "BASE [BASE.idx] ALTERED [ALTERED.idx]"}},
         0,
         "Appends every block that differs between the base and the altered data file (index files only for "
         "types that have them; either side may be a game data package) and saves the patch.",
         "patch.uop 4 art.mul artidx.mul myart.mul myartidx.mul", Compare, kInManifest},
        {"add-file", {kPatch, {"KIND", ArgKind::kWords, 0, 0, {"client", "readme", "map"}}, File("FILE")}, 0,
         "Carries a whole client file in the patch, replacing an earlier copy; the client must contain its "
         "marker text.",
         "patch.uop readme readme.txt", AddFile, kInManifest},
        {"remove", {kPatch, FileId(), {"BLOCK", ArgKind::kRange, 0, INT32_MAX}}, 0,
         "Removes the live blocks with these numbers and saves the patch.", "patch.uop art 0x4001", Remove,
         kInManifest},
        {"set-flags", {kPatch, FileId(), Block(), Flag("FLAGA"), Flag("FLAGB")}, 0,
         "Sets the two flags (-32768 to 65535 each, kept as 16 bits) of the live block and saves the patch.",
         "patch.uop gumps 0x1234 90 120", SetFlags, kInManifest},
        {"apply", {kPatch, File("MANIFEST")}, 0,
         "Runs the commands of a manifest (one per line without the program and patch arguments, # comments, "
         "paths relative to the manifest's folder) on one patch: all lines, or at the first failing line nothing "
         "is saved or exported.",
         "patch.uop build/patch.manifest"},
        {"bake", {kPatch, Folder("CLIENT_DIR"), Folder("OUT_DIR")}, kClientVerdataOption | kCompactOption,
         "Writes the patch into copies of the client's own files: OUT_DIR (missing or empty) receives the files that "
         "change, under the client folder's spelling, verified before they are put in place. The client's "
         "verdata.mul is baked first, and what cannot be baked stays in OUT_DIR/verdata.mul; blocks a file cannot "
         "take are left out and named on stderr. Game data packages are written too.",
         "patch.uop client/ shipped/", BakeCommand},
        {"convert", {{"SOURCE", ArgKind::kFile, 0, 0, {}, false, 1, 1, "SOURCE..."}, {"FILES", ArgKind::kFile, 0, 0, {}, false, 1, 2, "TARGET..."}},
         kTypeOption | kPackageVersionOption | kCompressionOption | kBasePackageOption | kSkipDamagedOption,
         "Converts art, gumps, map 0, sounds or multis between data files and a game data package, both ways. The "
         "first file's content tells what it is: a package is one source, data files are the data file and its "
         "index where the type has one; the files behind them are the targets, which must not exist yet. The type "
         "comes from the content and the usual names (--type overrides). Packages are written as the client's own "
         "(version, compression, names); block bytes are carried unread. Each target is read back and compared "
         "block by block before it is put in place, an index after its data file. Damaged entries fail the "
         "command unless --skip-damaged; values the other form cannot hold are counted and named.",
         "art.mul artidx.mul artLegacyMUL.uop", ConvertCommand},
        {"verify", {kPatch, File("VERDATA.mul")}, kBaseOption,
         "Checks that a written verdata holds exactly what export of the patch writes: exit 0 when it does, 1 with "
         "one line per difference, 2 when it cannot tell.",
         "patch.uop out/verdata.mul --base client/verdata.mul", Verify, kCompares},
        {"diff", {File("A"), File("B")}, 0,
         "Compares two patch project files or verdata files block by block (settled duplicates, flags and a "
         "SHA-256 of the bytes): exit 0 when equal, 1 when they differ, 2 when it cannot tell.",
         "old.uop new.uop", Diff, kCompares},
        {"status", {kPatch, Folder("CLIENT_DIR")}, kClientVerdataOption,
         "Tells what each block does to the client's files in CLIENT_DIR: one line STATE FILEID BLOCK in file-ID "
         "and block order, then the counts per type. new: the client has no data there; changes: the client has "
         "other bytes or flags; same: the client has just this (or the block removes what is not there); removes: "
         "the block has no data and the client has; unfit: writing into the client's files would leave it out; "
         "unknown: the folder lacks the type's files. The client's verdata.mul lies over its data files unless "
         "--client-verdata ignore. Where the folder holds a type both as a package and as data files, a block is same "
         "only when both have it, else its state is the one against the first that differs (the package first), and a "
         "fourth word names the files that differ.",
         "patch.uop /games/client", StatusCommand},
        {"prune", {kPatch, Folder("CLIENT_DIR")}, kClientVerdataOption,
         "Removes the blocks the client in CLIENT_DIR already has (those status calls same) and saves the patch; "
         "blocks of unknown types are kept.",
         "patch.uop /games/client", PruneCommand, kInManifest},
        {"info", {kPatch}, 0,
         "Counts the blocks per file type: live, superseded duplicates, without data; and the total bytes.",
         "patch.uop", Info},
        {"types", {}, 0,
         "Lists the known file types: ID, name, how their files are read, and the highest block number a usual "
         "file holds (files may hold more; every block is kept).",
         "", Types},
        {"map-to-png", {Folder("CLIENT_DIR"), File("OUT.png")},
         kPatchOption | kAreaOption | kScaleOption | kClientVerdataOption,
         "Draws map 0 of the client in CLIENT_DIR (6,144 or 7,168 x 4,096 cells, told by its size) as a PNG picture in "
         "the radar colours of CLIENT_DIR/radarcol.mul: each cell in the colour of the highest of its land and "
         "statics (a static wins a tie). With --patch the patch's blocks replace the client's and are marked: a map "
         "block's border cells in magenta, every other border cell of a statics block in cyan.",
         "client/ map.png --area 1024,1024,512,256 --patch patch.uop", MapToPng},
        {"make-samples", {Folder("DIR")}, 0,
         "Writes a small set of client files drawn by the program (map, radar colours, art, gumps, hues, "
         "tiledata, animdata, verdata.mul, readme, stand-in client, a sample patch, an item picture item.png and a "
         "sound sound.wav) to try every feature on.",
         "samples", Samples},
    };
    return commands;
}

const CommandDeclaration* FindCommand(std::string_view name) {
    for (const CommandDeclaration& c : Commands())
        if (name == c.name) return &c;
    return nullptr;
}
