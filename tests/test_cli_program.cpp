// The command-line program as installed: it starts without Qt, prints the
// same JSON and hashes as Qt would, and hands picture commands to its helper.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <filesystem>

#include "io/json.h"
#include "cli_runner.h"
#include "codecs/sha256.h"
#include "patch/file_types.h"
#include "patch/patch_file.h"
#include "test_support.h"

namespace {
struct Ran {
    int code;
    std::string out;
};

Ran Program(const std::string& program, const std::string& arguments) {
    FILE* pipe = ::popen(("'" + program + "' " + arguments + " 2>&1").c_str(), "r");
    std::string out;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}
}  // namespace

TEST(CliProgram, JsonIsLaidOutAsQtLaysItOut) {
    const std::string odd = "q\"\\\n\t\r\b\f\x01\x1f\x7f /\xC3\xA9 \xE2\x82 \xED\xA0\x80 \xC0\xAF \xF0\x9F\x98\x80 \xF4\x90\x80\x80 \xFF";
    Json items = Json::array();
    for (const Json& j : {Json(1), Json(-5), Json(true), Json(false), Json(std::int64_t{9007199254740993}), Json(odd),
                          Json::object(), Json::array()})
        items.push_back(j);
    Json nested{{"zeta", 2}, {"alpha", "s"}};
    nested["mid"] = Json{{"b", false}};
    nested["zeta"] = 3;
    const Json document{{"list", items}, {"nested", nested}, {"empty", Json::array()}, {odd, 0}};

    QJsonArray qItems{1, -5, true, false, qint64{9007199254740993}, QString::fromUtf8(odd.c_str()), QJsonObject{},
                      QJsonArray{}};
    const QJsonObject qDocument{{"list", qItems},
                                {"nested", QJsonObject{{"alpha", "s"}, {"mid", QJsonObject{{"b", false}}}, {"zeta", 3}}},
                                {"empty", QJsonArray{}},
                                {QString::fromUtf8(odd.c_str()), 0}};
    EXPECT_EQ(JsonText(document), QJsonDocument(qDocument).toJson(QJsonDocument::Indented).toStdString());
}

TEST(CliProgram, Sha256MatchesQtAcrossEveryPaddingLength) {
    std::mt19937 rng(256);
    const Bytes bytes = RandomBytes(rng, 200);
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
        const QByteArray q = QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char*>(bytes.data()),
                                                                     static_cast<qsizetype>(n)),
                                                      QCryptographicHash::Sha256);
        ASSERT_EQ(Sha256Hex({bytes.data(), n}), q.toHex().toStdString()) << n << " bytes";
    }
    EXPECT_EQ(Sha256Hex({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    Sha256 pieces;  // the same over bytes given in pieces of every size
    for (std::size_t at = 0, n = 0; at < bytes.size(); at += n++) pieces.Update(ByteView(bytes).subspan(at, std::min(n, bytes.size() - at)));
    EXPECT_EQ(pieces.Hex(), Sha256Hex(bytes));
}

TEST(CliProgram, StartsWithoutQtAndRunsPictureCommandsInItsHelper) {
    const Ran libraries = Program("ldd", PALINDRA_CLI_PATH);
    ASSERT_EQ(libraries.code, 0);
    EXPECT_EQ(libraries.out.find("Qt"), std::string::npos) << libraries.out;

    TempDir dir;
    ASSERT_EQ(Cli({"make-samples", dir / "s"}).code, 0);
    const std::string patch = dir / "s/sample.uop";
    const Ran direct = Program(PALINDRA_CLI_PATH, "gump-to-bmp '" + patch + "' 1 '" + dir / "a.png" + "' --json");
    EXPECT_EQ(direct.code, 0) << direct.out;
    EXPECT_EQ(Cli({"gump-to-bmp", patch, "1", dir / "b.png"}).code, 0);
    EXPECT_EQ(ReadFileBytes(dir / "a.png"), ReadFileBytes(dir / "b.png"));
    EXPECT_EQ(Program(PALINDRA_CLI_PATH, "anim-to-png '" + patch + "' 110 '" + dir / "frames" + "'").code, 0);
    // A manifest may insert pictures: apply runs there too, exit codes intact.
    std::ofstream(dir / "m") << "bmp-to-gump 9 a.png\npng-to-anim 111 frames\n";
    EXPECT_EQ(Program(PALINDRA_CLI_PATH, "apply '" + patch + "' '" + dir / "m" + "'").code, 0);
    Patch after;
    ASSERT_TRUE(Ok(ReadPatchFile(patch, after)));
    const PatchBlock* rebuilt = after.LiveBlock(kAnim, 111);
    EXPECT_TRUE(rebuilt && rebuilt->bytes == after.LiveBlock(kAnim, 110)->bytes);
    EXPECT_EQ(Program(PALINDRA_CLI_PATH, "gump-to-bmp '" + patch + "' 77 '" + dir / "c.png" + "'").code, 1);

    const std::string alone = dir / "palindra-cli";
    std::filesystem::copy_file(PALINDRA_CLI_PATH, alone);
    const Ran lost = Program(alone, "gump-to-bmp '" + patch + "' 1 '" + dir / "d.png" + "'");
    EXPECT_EQ(lost.code, 1);
    EXPECT_NE(lost.out.find("palindra-cli-pictures"), std::string::npos) << lost.out;
}
