// tarvik3-check as scripts use it: output forms, JSON fields, and the exit status for clean,
// erroneous, fatal and unreadable files, alone and mixed.

#include "cli/checkerRun.h"
#include "support/boxBuilder.h"
#include "support/packetStream.h"

#include <nlohmann/json.hpp>


namespace fs = std::filesystem;
using nlohmann::json;

namespace {

class Checker : public CheckerFiles {};

}  // namespace

TEST_F(Checker, DefaultOutputGivesPathVerdictAndOneLinePerError)
{
    const std::string path = erroneous();
    const CheckerRun run = runChecker(path);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, path +
                           "\nPlik nie jest zgodny ze standartem. Zobacz opis błędów. Wyświetlane dane mogą być "
                           "niepoprawne!\n  1001 @ 0x00000050  Wiele markerów COD w nagłówku lub kaflu"
                           "\n  1003 @ 0x0000007e  Dane za markerem EOC\n");
}

TEST_F(Checker, JsonLineIsCompactWithPathFirstAndElementsOnRequest)
{
    const std::string path = erroneous();
    const CheckerRun run = runChecker("--json " + path);
    ASSERT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "{\"path\":\"" + path + "\",\"size\":129,\"status\":1,\"verdict\":\"Plik nie jest zgodny ze standartem. "
                       "Zobacz opis błędów. Wyświetlane dane mogą być niepoprawne!\",\"errors\":["
                       "{\"code\":1001,\"message\":\"Wiele markerów COD w nagłówku lub kaflu\",\"offset\":80},"
                       "{\"code\":1003,\"message\":\"Dane za markerem EOC\",\"offset\":126}]}\n");

    const json report = json::parse(runChecker("--json --elements " + path).out);
    ASSERT_EQ(report["elements"].size(), 9u);
    EXPECT_EQ(report["elements"][7], json::parse(R"({"index": 7, "offset": 108, "kind": "data", "code": 17, "name": "<dane>"})"));
    EXPECT_EQ(report["elements"][8]["name"], "EOC");
    EXPECT_FALSE(report["elements"][0].contains("text"));
}

TEST_F(Checker, TextsAddEveryElementTextAndTheSummary)
{
    const json report = json::parse(runChecker("--json --texts " + clean()).out);
    EXPECT_EQ(report["elements"][6]["text"], "To są dane binarne");
    EXPECT_EQ(report["summary"].get<std::string>().find("Nazwa pliku: "), 0u);
}

TEST_F(Checker, TreeShowsHeadersUnderSocAndSot)
{
    const CheckerRun run = runChecker("--tree " + clean());
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_NE(run.out.find("OK! Nie znaleziono błędów.\nJPC file\n  SOC  0x00000000\n    SIZ  0x00000002"
                           "\n    COD  0x0000002d\n    QCD  0x0000003b\n  SOT  0x00000050\n    SOD  0x0000005c"
                           "\n    <dane>  0x0000005e\n  EOC  0x0000006e\n"),
              std::string::npos)
        << run.out;
}

TEST_F(Checker, PacketsAddTheirCodesAndTheirMapOnlyOnRequest)
{
    // Two layers of one code-block; the second packet's body is cut short by a byte (12105 at 82).
    const std::string path = write("packets.j2k", TinyStream{.layers = 2, .data = joined({firstContribution(0, 1, 2),
                                                                                          {0xAA, 0xBB, 0xC2}})}
                                                      .bytes());
    const json plain = json::parse(runChecker("--json --elements " + path).out);
    EXPECT_EQ(plain["status"], 0);
    EXPECT_FALSE(plain.contains("packets"));

    const json report = json::parse(runChecker("--json --packets " + path).out);
    EXPECT_EQ(report["errors"], json::parse(R"([{"code": 12105, "message": "Treść pakietu wykracza poza dane części tile'a",
                                                 "offset": 82}])"));
    EXPECT_EQ(report["packets"], json::parse(R"([{"tile": 0, "part": 0, "layer": 0, "resolution": 0, "component": 0,
        "precinct": 0, "offset": 79, "sop": null, "header": [79, 80], "eph": null, "body": [80, 82], "length": 3,
        "codeBlocks": 1, "passes": 1, "bytes": 2}])"));
    EXPECT_NE(runChecker("--tree --packets " + path).out.find("    <dane>  0x0000004f\n      pakiet w0 r0 k0 p0  0x0000004f\n  EOC"),
              std::string::npos);
}

TEST_F(Checker, Jp2FileAddsItsContainerAndItsBoxesBeforeTheElements)
{
    const std::string path = write("minimal.jp2", minimalJp2().bytes());
    EXPECT_EQ(runChecker("--json " + path).out, "{\"path\":\"" + path + "\",\"size\":197,\"container\":\"jp2\","
                                                 "\"status\":0,\"verdict\":\"OK! Nie znaleziono błędów.\",\"errors\":[]}\n");

    const json report = json::parse(runChecker("--json --elements " + path).out);
    ASSERT_EQ(report["elements"].size(), 6u + 8u);
    EXPECT_EQ(report["elements"][0], json::parse(R"({"kind": "box", "type": "jP  ", "offset": 0, "length": 12, "depth": 0})"));
    EXPECT_EQ(report["elements"][3], json::parse(R"({"kind": "box", "type": "ihdr", "offset": 40, "length": 22, "depth": 1})"));
    EXPECT_EQ(report["elements"][6], json::parse(R"({"index": 0, "offset": 85, "kind": "marker", "code": 79, "name": "SOC"})"));

    const json texts = json::parse(runChecker("--json --texts " + path).out);
    EXPECT_EQ(texts["elements"][1]["text"].get<std::string>().find("File Type box (ftyp)\n"), 0u);

    const CheckerRun tree = runChecker("--tree " + path);
    EXPECT_NE(tree.out.find("JP2 file\n  jP    0x00000000\n  ftyp  0x0000000c\n  jp2h  0x00000020\n    ihdr  0x00000028"
                            "\n    colr  0x0000003e\n  jp2c  0x0000004d\n    SOC  0x00000055\n      SIZ  0x00000057\n"),
              std::string::npos)
        << tree.out;
}

TEST_F(Checker, FilesThatCannotBeAnalysedAreFailuresWithTheirCause)
{
    const auto failureOf = [](const std::string& path) {
        const CheckerRun run = runChecker("--json " + path);
        EXPECT_EQ(run.exitStatus, 3) << path;
        return json::parse(run.out)["failure"].get<std::string>();
    };
    EXPECT_EQ(failureOf(write("empty.j2k", {})), "Unexpected file format.");
    EXPECT_EQ(failureOf(write("sot-first.j2k", StreamBuilder().tilePart().eoc().bytes())), "Failed to open document.");
    EXPECT_EQ(failureOf((dir_ / "missing.j2k").string()).find("Cannot open file"), 0u);
    EXPECT_NE(failureOf(dir_.string()).find("not a regular file"), std::string::npos);
}

TEST_F(Checker, FileOf4GiBIsRefusedNotCut)
{
    const std::string path = write("huge.j2k", StreamBuilder().mainHeader().tilePart().eoc().bytes());
    fs::resize_file(path, (uint64_t{1} << 32) + 112);  // sparse; a 32-bit size would read as 112
    const CheckerRun run = runChecker("--json " + path);
    EXPECT_EQ(run.exitStatus, 3);
    EXPECT_NE(json::parse(run.out)["failure"].get<std::string>().find("too large"), std::string::npos);
}

TEST_F(Checker, ExitStatusIsTheWorstOfAllFiles)
{
    EXPECT_EQ(runChecker(clean()).exitStatus, 0);
    EXPECT_EQ(runChecker(clean() + " " + erroneous()).exitStatus, 1);
    EXPECT_EQ(runChecker(fatal() + " " + erroneous()).exitStatus, 2);
    EXPECT_EQ(runChecker(fatal() + " " + (dir_ / "missing.j2k").string() + " " + clean()).exitStatus, 3);
}

TEST_F(Checker, DescribeTakesTheCodeInHex)
{
    for (const char* code : {"90", "0x90", "0xff90", "FF90"}) {
        const CheckerRun run = runChecker(std::string("--describe ") + code);
        EXPECT_EQ(run.exitStatus, 0) << code;
        EXPECT_EQ(run.out.find("Start of tile-part (SOT)\r\n\r\n"), 0u) << code;
    }
    EXPECT_EQ(runChecker("--describe 63").out, "Ten marker nie ma opisu\n");
    EXPECT_EQ(runChecker("--describe 0x1290").exitStatus, 64);
    EXPECT_EQ(runChecker("--describe zz").exitStatus, 64);
}

TEST_F(Checker, ProfileAppliesItsRulesWhateverRsizSays)
{
    const std::string frame = std::string(TARVIK3_SAMPLES_DIR) + "/cinema-2k.j2k";
    EXPECT_EQ(runChecker(frame).exitStatus, 0);
    const CheckerRun dcp = runChecker("--profile dcp-2k " + frame);
    EXPECT_EQ(dcp.exitStatus, 1);
    EXPECT_NE(dcp.out.find("\n  14012 @ 0x00000047  "), std::string::npos) << dcp.out;
    EXPECT_NE(runChecker("--profile imf-2k " + clean()).out.find("\n  14000 @ 0x00000002  "), std::string::npos);
    EXPECT_EQ(runChecker("--profile dcp-8k " + frame).exitStatus, 64);
}
