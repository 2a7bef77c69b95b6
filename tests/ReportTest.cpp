// The report: the core that places the tracks on the arrays and lays out
// HOR copies, the page, and `horgrid-tools report` on a small annotation of
// a real cen21 stretch (tests/data/report, made by make_fixture.py).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "report/ReportModel.h"
#include "report/ReportPage.h"

namespace horgrid::test {
namespace {

TrackItem Item(std::string record, std::int64_t start, std::int64_t end, std::string name, Rgb colour = {}) {
    return {std::move(record), start, end, std::move(name), '+', colour};
}

// Inverse of Base64, for reading the pictures back out of a page.
std::string FromBase64(const std::string& text) {
    static const std::string kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    unsigned value = 0;
    int bits = 0;
    for (const char c : text) {
        if (c == '=') break;
        value = value << 6 | static_cast<unsigned>(kDigits.find(c));
        if ((bits += 6) >= 8) bytes += static_cast<char>((value >> (bits -= 8)) & 0xFF);
    }
    return bytes;
}

// What a reader of the page finds per array section: the number of the
// section, the PNG pictures by class, and the missing-picture notes.
struct SectionView {
    std::string heading;
    std::map<std::string, std::string> pictures;  // class -> PNG bytes
    std::size_t missing = 0;
    std::size_t rects = 0;
    std::size_t tracks = 0;
    std::size_t legends = 0;
};

// Reads the page with plain searches (std::regex recurses per character and
// overflows the stack on a picture's base64).
std::vector<SectionView> Sections(const std::string& html) {
    std::vector<SectionView> sections;
    const auto count = [](const std::string& body, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = body.find(what); at != std::string::npos; at = body.find(what, at + 1)) ++n;
        return n;
    };
    const std::string open = "<section class=\"array\"";
    for (std::size_t from = html.find(open); from != std::string::npos; from = html.find(open, from + 1)) {
        const std::string body = html.substr(from, html.find("</section>", from) - from);
        SectionView view;
        const std::size_t heading = body.find("<h2>") + 4;
        view.heading = body.substr(heading, body.find("</h2>") - heading);
        const std::string image = "<img class=\"";
        for (std::size_t at = body.find(image); at != std::string::npos; at = body.find(image, at + 1)) {
            const std::size_t kind = at + image.size();
            const std::string data = "src=\"data:image/png;base64,";
            const std::size_t src = body.find(data, kind) + data.size();
            view.pictures[body.substr(kind, body.find('"', kind) - kind)] =
                FromBase64(body.substr(src, body.find('"', src) - src));
        }
        view.missing = count(body, "class=\"missing\"");
        view.rects = count(body, "<rect");
        view.tracks = count(body, "<svg class=\"track\"");
        view.legends = count(body, "<div class=\"legend\"");
        sections.push_back(view);
    }
    return sections;
}

TEST(ReportCore, TracksGoToTheArraysTheyOverlapAndCopiesLayOutByUnitPosition) {
    AnnotationTracks annotation;
    annotation.arrays = {{"r1", 100, 700, {}}, {"r2", 0, 50, {}}, {"r1", 900, 1000, {}}};
    const Rgb full{1, 2, 3}, variant{9, 9, 9};
    // Out of order on purpose; one monomer on each border of array 1.
    annotation.monomers = {
        Item("r1", 600, 700, "H.3"), Item("r1", 50, 150, "H.1"),  Item("r1", 150, 250, "H.2"),
        Item("r1", 250, 350, "H.1"), Item("r1", 350, 450, "H.3"),  // lacks H.2
        Item("r1", 450, 600, "W5"),  Item("r1", 699, 950, "H.1"), Item("r2", 60, 70, "H.1")};
    annotation.copies = {Item("r1", 250, 460, "H.1_3", variant), Item("r1", 40, 250, "H.1-2", full)};
    const std::vector<ArrayContent> arrays = SplitByArray(annotation);
    ASSERT_EQ(arrays.size(), 3u);
    std::vector<std::int64_t> starts;
    for (const TrackItem& item : arrays[0].monomers) starts.push_back(item.start);
    EXPECT_EQ(starts, (std::vector<std::int64_t>{50, 150, 250, 350, 450, 600, 699}));
    EXPECT_TRUE(arrays[1].monomers.empty());   // r2:60-70 lies after r2's array
    ASSERT_EQ(arrays[2].monomers.size(), 1u);  // the monomer across two arrays is in both
    EXPECT_EQ(arrays[2].monomers[0].start, 699);
    ASSERT_EQ(arrays[0].copies.size(), 2u);

    const HorLayout layout = LayOutHorCopies(arrays[0].copies, arrays[0].monomers);
    EXPECT_EQ(layout.rows, 2);
    EXPECT_EQ(layout.columns, 3);
    std::vector<std::tuple<int, int, bool>> cells;  // column, row, in the full copy's colour
    for (const HorCell& cell : layout.cells) cells.emplace_back(cell.column, cell.row, cell.colour == full);
    EXPECT_EQ(cells, (std::vector<std::tuple<int, int, bool>>{
                         {1, 1, true}, {2, 1, true}, {1, 2, false}, {3, 2, false}}));

    for (const auto& [name, position] : std::vector<std::pair<std::string, int>>{{"S1C1/5/19H1L.12", 12},
                                                                                 {"S2C8H1L.4/7", 4},
                                                                                 {"S4CYH1L.Ga-1", 0},
                                                                                 {"W5", 0},
                                                                                 {"H.", 0},
                                                                                 {"H.0", 0},
                                                                                 {"H.3x", 0}}) {
        EXPECT_EQ(UnitPosition(name), position) << name;
    }
}

TEST(ReportCore, LongTracksAreReducedToBinsOfTheMiddleItem) {
    std::vector<TrackItem> items;
    const Rgb red{255, 0, 0}, blue{0, 0, 255};
    for (int i = 0; i < 100; ++i)
        items.push_back(Item("r", i * 10, i * 10 + 10, i < 50 ? "A" : "B", i < 50 ? red : blue));
    // Few enough: one block per item, clipped to the array.
    const std::vector<TrackBlock> all = ReduceTrack(items, 5, 1000, 100);
    ASSERT_EQ(all.size(), 100u);
    EXPECT_EQ(all.front().from, 0);
    EXPECT_EQ(all.front().to, 5);
    // Too many: 10 bins of 100 bases, merged into red A and blue B.
    const std::vector<TrackBlock> reduced = ReduceTrack(items, 0, 1000, 10);
    ASSERT_EQ(reduced.size(), 2u);
    EXPECT_EQ(reduced[0].label, "A");
    EXPECT_EQ(reduced[0].to, 500);
    EXPECT_EQ(reduced[1].from, 500);
    EXPECT_EQ(reduced[1].to, 1000);
    // One colour, two names: one block without a name.
    for (TrackItem& item : items) item.colour = red;
    const std::vector<TrackBlock> red2 = ReduceTrack(items, 0, 1000, 10);
    ASSERT_EQ(red2.size(), 1u);
    EXPECT_EQ(red2[0].label, "");
    EXPECT_EQ(red2[0].to, 1000);
    // A hole in the middle of a bin leaves the bin empty.
    items.erase(items.begin() + 5);  // bases 50-60: the middle of bin 0
    EXPECT_EQ(ReduceTrack(items, 0, 1000, 10).front().from, 100);
}

TEST(ReportCore, HeatMapsCompareCopiesOfAboutTheUnitLengthElseMonomers) {
    ArrayContent array;
    array.families = {Item("r", 0, 10, "W1"), Item("r", 10, 20, "W2")};
    array.monomers = {Item("r", 0, 10, "H.1")};
    EXPECT_EQ(ChooseHeatMapUnits(array).items.size(), 2u);  // every monomer: AS-SF
    EXPECT_STREQ(ChooseHeatMapUnits(array).label, "monomer");
    EXPECT_EQ(ChooseHeatMapUnits(array, 1).numbers, std::vector<int>{1});
    // Copies of 100 bases and within 10 %; the partial ones are left out.
    for (const auto& [start, length] : std::vector<std::pair<int, int>>{
             {0, 100}, {100, 110}, {210, 89}, {299, 90}, {389, 111}, {500, 50}, {550, 100}})
        array.copies.push_back(Item("r", start, start + length, "H.1-2"));
    std::vector<std::int64_t> starts;
    for (const TrackItem& copy : ChooseHeatMapUnits(array).items) starts.push_back(copy.start);
    EXPECT_EQ(starts, (std::vector<std::int64_t>{0, 100, 299, 550}));
    EXPECT_STREQ(ChooseHeatMapUnits(array).label, "HOR copy");
    // Numbered as copies of the array, as in the HOR structure.
    EXPECT_EQ(ChooseHeatMapUnits(array).numbers, (std::vector<int>{1, 2, 4, 7}));
    // At most 3 of the 4, spread: units 0, 1, 2 of 4 * i / 3.
    starts.clear();
    for (const TrackItem& copy : ChooseHeatMapUnits(array, 3).items) starts.push_back(copy.start);
    EXPECT_EQ(starts, (std::vector<std::int64_t>{0, 100, 299}));
    starts.clear();
    for (const TrackItem& copy : ChooseHeatMapUnits(array, 2).items) starts.push_back(copy.start);
    EXPECT_EQ(starts, (std::vector<std::int64_t>{0, 299}));
    EXPECT_EQ(ChooseHeatMapUnits(array, 2).numbers, (std::vector<int>{1, 4}));

    // The colour floor: the 5th percentile, whole percent, 0-99.
    std::vector<double> pixels(100, 99.5);
    for (int i = 0; i < 5; ++i) pixels[i * 7] = 40 + i;  // ranks 0-4
    pixels[90] = 97.9;                                   // rank 5
    EXPECT_EQ(ColourFloor(pixels), 97);
    EXPECT_EQ(ColourFloor(std::vector<double>(10, 100.0)), 99);
    EXPECT_EQ(ColourFloor({}), 0);
}

// Every colour of a track is in its legend, the most used first, with what
// it stands for.
TEST(ReportCore, LegendsSayWhatEveryColourOfATrackStandsFor) {
    const Rgb a{1, 0, 0}, b{2, 0, 0}, c{3, 0, 0}, grey{190, 190, 190};
    using Entries = std::vector<std::pair<std::string, int>>;  // label, red of the colour
    const auto entries = [](const std::vector<LegendEntry>& legend) {
        Entries found;
        for (const LegendEntry& entry : legend) found.emplace_back(entry.label, entry.colour.red);
        return found;
    };
    const std::vector<std::pair<std::vector<TrackItem>, Entries>> tracks = {
        // one name per colour; the most used colour first
        {{Item("r", 0, 1, "D1", a), Item("r", 1, 2, "D2", b), Item("r", 2, 3, "D2", b)}, {{"D2", 2}, {"D1", 1}}},
        // the monomers of one HOR in one colour: the HOR
        {{Item("r", 0, 1, "S2C13/21H1L.1", a), Item("r", 1, 2, "S2C13/21H1L.2", a), Item("r", 2, 3, "W1", b)},
         {{"S2C13/21H1L", 1}, {"W1", 2}}},
        // names of no common HOR: four of them, the most used first, and the rest counted
        {{Item("r", 0, 1, "W1", a), Item("r", 0, 1, "W2", a), Item("r", 0, 1, "W2", a), Item("r", 0, 1, "W3", a),
          Item("r", 0, 1, "W4", a), Item("r", 0, 1, "W5", a), Item("r", 0, 1, "H.1", a)},
         {{"W2, W1, W3, W4 and 2 more", 1}}},
        {{}, {}}};
    for (const auto& [items, expected] : tracks) EXPECT_EQ(entries(TrackLegend(items)), expected);

    std::vector<TrackItem> strands = {Item("r", 0, 1, "D1", c), Item("r", 1, 2, "D1", a)};
    strands[0].strand = '-';
    EXPECT_EQ(entries(StrandLegend(strands)), (Entries{{"reverse (-)", 3}, {"forward (+)", 1}}));

    // Variants: each with a colour of its own; those sharing the grey as one entry.
    const std::vector<TrackItem> copies = {Item("r", 0, 1, "H.1-3", a),    Item("r", 0, 1, "H.1-3", a),
                                           Item("r", 0, 1, "H.1_3", b),    Item("r", 0, 1, "H.2-3", grey),
                                           Item("r", 0, 1, "H.1-2", grey), Item("r", 0, 1, "H.1-2", grey)};
    EXPECT_EQ(entries(VariantLegend(copies)), (Entries{{"H.1-3", 1}, {"H.1_3", 2}, {"2 other variants", 190}}));
}

TEST(ReportPage, HoldsEveryArrayWithItsPicturesOrTheReason) {
    const std::vector<std::pair<std::string, std::string>> base64 = {
        {"", ""},        {"f", "Zg=="},          {"fo", "Zm8="},
        {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}, {"\xff\xfe", "//4="}};
    for (const auto& [bytes, text] : base64) EXPECT_EQ(Base64(bytes), text);
    EXPECT_EQ(EscapeHtml("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");

    ReportHeading heading;
    heading.title = "asm<1>";
    heading.arrayColumns = {"record", "start", "end"};
    // The cenSat track: a section of its own with a legend of its classes,
    // and the items over each array above its alpha-satellite tracks.
    heading.cenSat = {Item("chr<1>", 0, 10, "ct", {224, 224, 224}),
                      Item("chr<1>", 10, 20, "active_hor(S1)", {153, 0, 0}),
                      Item("chr<1>", 20, 30, "hor(S2)", {255, 102, 0}), Item("chr2", 0, 5, "HSat3", {51, 81, 137})};
    std::vector<ArrayContent> arrays(2);
    arrays[0].row = {"chr<1>", 10, 20, {"chr<1>", "10", "20"}};
    arrays[0].monomers = {Item("chr<1>", 10, 15, "S1.1"), Item("chr<1>", 15, 20, "S1.2")};
    arrays[0].copies = {Item("chr<1>", 10, 15, "S1.1"), Item("chr<1>", 15, 20, "S1.2", {9, 9, 9})};
    arrays[1].row = {"chr2", 0, 5, {"chr2", "0", "5"}};
    std::vector<ArrayPictures> pictures(2);
    pictures[0].hor.png = std::string("\x89PNG hor\0", 9);
    pictures[0].heatMap.png = "\x89PNG heat";
    pictures[1].hor = {"", "nothing to draw", true};
    pictures[1].heatMap.failure = "gnuplot failed";
    const std::string html = RenderReport(heading, arrays, pictures);

    EXPECT_EQ(html.find("chr<1>"), std::string::npos);
    EXPECT_NE(html.find("<title>asm&lt;1&gt; alpha-satellite arrays</title>"), std::string::npos);
    EXPECT_EQ(html.find("http"), std::string::npos);  // nothing loaded from elsewhere
    const std::vector<SectionView> sections = Sections(html);
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].heading, "Array 1: chr&lt;1&gt;:11-20 (0.0 kb, 2 monomers)");
    EXPECT_EQ(sections[0].pictures.at("hor"), pictures[0].hor.png);
    EXPECT_EQ(sections[0].pictures.at("heatmap"), pictures[0].heatMap.png);
    EXPECT_EQ(sections[0].missing, 0u);
    EXPECT_EQ(sections[0].rects, 5u);  // cenSat, AS-HOR and AS-StV
    EXPECT_LT(html.find("<h2>Satellite arrays (cenSat track)</h2>"), html.find("<section"));
    for (const char* entry : {"</span> active_hor</span>", "</span> hor</span>", "</span> HSat3</span>",
                              "</span> active_hor(S1)</span>"}) {
        EXPECT_NE(html.find(entry), std::string::npos) << entry;  // in a legend
    }
    EXPECT_LT(html.find("aria-label=\"cenSat track\"", html.find("<section")),
              html.find("aria-label=\"AS-HOR track\""));
    EXPECT_EQ(sections[0].tracks, 3u);   // cenSat, AS-HOR, AS-StV
    EXPECT_EQ(sections[0].legends, 3u);  // one per track
    EXPECT_NE(html.find("<span class=\"key\"><span class=\"swatch\" style=\"background:#090909\"></span> S1.2</span>"),
              std::string::npos);
    // The list of copies numbers them along the array, as the pictures do.
    EXPECT_NE(html.find("<tr><td>2</td><td>15</td><td>20</td>"), std::string::npos);
    EXPECT_TRUE(sections[1].pictures.empty());
    EXPECT_EQ(sections[1].missing, 2u);
    EXPECT_NE(html.find("no heat map picture: gnuplot failed"), std::string::npos);
    EXPECT_NE(html.find("<a href=\"#array-2\">2</a>"), std::string::npos);
}

// The fixture's files copied into `dir`.
void CopyFixture(const TempDir& dir) {
    const std::string from = std::string(HORGRID_SOURCE_DIR) + "/tests/data/report/";
    for (const char* name : {"fixture.fa", "fixture_arrays.tsv", "fixture_AS-HOR.bed", "fixture_AS-SF.bed",
                             "fixture_AS-strand.bed", "fixture_AS-StV.bed"}) {
        dir.Write(name, ReadFile(from + name));
    }
}

RunResult Report(const std::vector<std::string>& arguments, const TempDir& dir,
                 const std::vector<std::string>& environment = {}) {
    std::vector<std::string> all = environment;
    all.push_back(HORGRID_TOOLS_BIN);
    all.push_back("report");
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram("/usr/bin/env", all, dir.path());
}

TEST(ReportCommand, DrawsEveryArrayOfTheAnnotation) {
    TempDir dir;
    CopyFixture(dir);
    const RunResult run = Report({"-t", "2", "fixture", "fixture.fa"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "2 arrays -> fixture_report.html\n");
    // Progress, like every message, after the command's name.
    EXPECT_EQ(run.err, "horgrid-tools report: array 1 of 2 drawn\nhorgrid-tools report: array 2 of 2 drawn\n");
    const std::string html = ReadFile(dir.File("fixture_report.html"));
    std::vector<SectionView> sections = Sections(html);
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].heading, "Array 1: cen21_piece:117-9126 (9.0 kb, 52 monomers)");
    EXPECT_EQ(sections[1].heading, "Array 2: monomeric:1-2054 (2.1 kb, 12 monomers)");
    // The live array: both pictures, complete PNGs; the monomeric one: a heat map, and why no HOR.
    for (const char* kind : {"hor", "heatmap"})
        EXPECT_EQ(sections[0].pictures[kind].substr(0, 4), "\x89PNG") << kind;
    EXPECT_EQ(sections[1].pictures.count("hor"), 0u);
    EXPECT_EQ(sections[1].pictures["heatmap"].substr(0, 4), "\x89PNG");
    EXPECT_NE(html.find("no HOR structure picture: the array has no HOR copy"), std::string::npos);
    // Three tracks of 52 and 12 monomers, the gap of the left-out monomer 7
    // included, and the 5 HOR copies; a legend under every track.
    EXPECT_EQ(sections[0].rects, 3u * 52u + 5u);
    EXPECT_EQ(sections[1].rects, 3u * 12u);
    EXPECT_EQ(sections[0].legends, 4u);
    EXPECT_EQ(sections[1].legends, 3u);
    // Variants: three full copies, two partial ones.
    EXPECT_NE(html.find("S2C13/21H1L.1-11</td><td>3</td>"), std::string::npos);
    EXPECT_NE(html.find("S2C13/21H1L.1-6_8-11</td><td>1</td>"), std::string::npos);
    // Nothing left beside the page: the six inputs and the page.
    const auto files = std::filesystem::directory_iterator(dir.path());
    EXPECT_EQ(std::distance(begin(files), end(files)), 7);

    // Soft-masked (lower-case) bases, here half of the monomeric array, give the same heat maps.
    std::string lower = ReadFile(dir.File("fixture.fa"));
    for (std::size_t i = lower.size() - 1000; i < lower.size(); ++i)
        lower[i] = static_cast<char>(std::tolower(lower[i]));
    dir.Write("fixture.fa", lower);
    ASSERT_EQ(Report({"-o", "lower.html", "fixture", "fixture.fa"}, dir).status, 0);
    const std::vector<SectionView> masked = Sections(ReadFile(dir.File("lower.html")));
    ASSERT_EQ(masked.size(), 2u);
    EXPECT_EQ(masked[0].pictures.at("heatmap"), sections[0].pictures["heatmap"]);
    EXPECT_EQ(masked[1].pictures.at("heatmap"), sections[1].pictures["heatmap"]);

    // Three copies of both records, six arrays: their pictures go to gnuplot
    // four arrays and two at a time, across records, in `report` and in
    // annotate's page; each array keeps its own (arrays 1 and 2 as above,
    // every heat map titled with its own number).
    dir.Write("fixture.fa", ReadFile(std::string(HORGRID_SOURCE_DIR) + "/tests/data/report/fixture.fa"));
    for (const char* name : {".fa", "_arrays.tsv", "_AS-HOR.bed", "_AS-SF.bed", "_AS-strand.bed", "_AS-StV.bed"}) {
        const std::string text = ReadFile(dir.File(std::string("fixture") + name));
        std::string copies;
        for (const std::string suffix : {"", "_b", "_c"}) {
            std::istringstream lines(text);
            for (std::string line; std::getline(lines, line);) {
                if (!suffix.empty() && (line.rfind("track", 0) == 0 || line.rfind("#", 0) == 0)) continue;
                const std::size_t from = line.rfind(">", 0) == 0 ? 1 : 0;
                for (const std::string record : {"cen21_piece", "monomeric"}) {
                    const std::size_t end = from + record.size();
                    if (line.compare(from, record.size(), record) == 0 && (end == line.size() || line[end] == '\t'))
                        line.insert(end, suffix);
                }
                copies += line + "\n";
            }
        }
        dir.Write(std::string("six") + name, copies);
    }
    const RunResult six = Report({"six", "six.fa"}, dir);
    ASSERT_EQ(six.status, 0) << six.err;
    for (const char* input : {"six.fa", "fixture.fa"}) {
        const RunResult annotated = RunProgram(HORGRID_TOOLS_BIN, {"annotate", "-o", input, input}, dir.path());
        ASSERT_EQ(annotated.status, 0) << annotated.err;
    }
    const std::vector<SectionView> alone = Sections(ReadFile(dir.File("fixture.fa_report.html")));
    ASSERT_EQ(alone.size(), 2u);
    for (const char* page : {"six_report.html", "six.fa_report.html"}) {
        const std::vector<SectionView> drawn = Sections(ReadFile(dir.File(page)));
        const std::vector<SectionView>& two = page == std::string("six_report.html") ? sections : alone;
        ASSERT_EQ(drawn.size(), 6u) << page;
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(drawn[i].pictures.count("hor"), i % 2 == 0 ? 1u : 0u) << page << " array " << i + 1;
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_NE(drawn[i].pictures.at("heatmap"), drawn[j].pictures.at("heatmap")) << page << " " << i << j;
        }
        EXPECT_EQ(drawn[0].pictures, two[0].pictures) << page;
        EXPECT_EQ(drawn[1].pictures, two[1].pictures) << page;
    }
}

TEST(ReportCommand, RefusesBadInputAndReportsMissingPictures) {
    TempDir dir;
    CopyFixture(dir);
    dir.Write("other.fa", ">cen21_piece\nACGT\n>monomeric\nACGT\n");
    dir.Write("bad_arrays.tsv", "#record\tstart\tend\nr1\t10\n");
    dir.Write("bad_AS-HOR.bed", "");
    dir.Write("colour_arrays.tsv", "#record\tstart\tend\ncen21_piece\t0\t10\n");
    dir.Write("colour_AS-HOR.bed", "track name=x\ncen21_piece\t0\t10\tH.1\t0\t+\t0\t10\t256,0,0\n");
    dir.Write("order_arrays.tsv", "#record\tstart\tend\ncen21_piece\t0\t10\n");
    dir.Write("order_AS-HOR.bed", "cen21_piece\t10\t5\tH.1\t0\t+\n");
    // A table cut in the middle of a line, one with an array past its record's end.
    const std::string table = ReadFile(dir.File("fixture_arrays.tsv"));
    dir.Write("cut_arrays.tsv", table.substr(0, 150));
    dir.Write("cut_AS-HOR.bed", ReadFile(dir.File("fixture_AS-HOR.bed")));
    dir.Write("long_arrays.tsv",
              table.substr(0, table.find('\n') + 1) +
                  "monomeric\t0\t99999999\tmonomeric\t-\t12\t0\t0\t0\t0\t0\t75.00\t-\t0.00\n");
    dir.Write("long_AS-HOR.bed", ReadFile(dir.File("fixture_AS-HOR.bed")));
    // The same after a sound array of that record, drawn and told before the refusal.
    dir.Write("late_arrays.tsv", table.substr(0, table.find('\n') + 1) + table.substr(table.find("monomeric")) +
                                     "monomeric\t0\t99999999\tmonomeric\t-\t12\t0\t0\t0\t0\t0\t75.00\t-\t0.00\n");
    dir.Write("late_AS-HOR.bed", ReadFile(dir.File("fixture_AS-HOR.bed")));
    dir.Write("short_arrays.tsv", table.substr(0, table.find('\n') + 1) + "monomeric\t0\t2054\n");
    dir.Write("short_AS-HOR.bed", "");
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("elsewhere.html", dir.File("link.html"));
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message = {};
        std::size_t drawn = 0;  // arrays told drawn before a refusal
    };
    const std::vector<Case> cases = {
        {{}, 1},
        {{"fixture"}, 1},
        {{"--heat-map-size", "0", "fixture", "fixture.fa"}, 2},
        {{"-t", "x", "fixture", "fixture.fa"}, 2},
        {{"--frames", "fixture", "fixture.fa"}, 1},
        {{"--help"}, 0},
        {{"missing", "fixture.fa"}, 2},
        {{"fixture", "missing.fa"}, 2},
        {{"fixture", "other.fa"}, 2},   // monomers past the records' ends
        {{"bad", "fixture.fa"}, 2},     // an array line of two columns
        {{"colour", "fixture.fa"}, 2},  // itemRgb beyond 255
        {{"order", "fixture.fa"}, 2},   // an end before its start
        {{"cut", "fixture.fa"},
         2,
         "cannot read 'cut_arrays.tsv': line 2: the file ends in the middle of this line"},
        {{"long", "fixture.fa"},
         2,
         "cannot read 'long_arrays.tsv': line 2: the array ends at 99999999, past the end of record "
         "'monomeric'"},
        {{"late", "fixture.fa"},
         2,
         "cannot read 'late_arrays.tsv': line 3: the array ends at 99999999, past the end of record 'monomeric'",
         1},
        {{"short", "fixture.fa"}, 2, "cannot read 'short_arrays.tsv': line 2: 3 columns, the header has 14"},
        {{"-o", "pipe", "fixture", "fixture.fa"}, 2, "cannot create 'pipe': it is not a regular file"},
        {{"-o", "link.html", "fixture", "fixture.fa"}, 2, "cannot create 'link.html': it is a symbolic link"},
        // The page's name is checked before any picture is drawn.
        {{"-o", "fixture_arrays.tsv", "fixture", "fixture.fa"}, 2, "it is the input 'fixture_arrays.tsv'"},
    };
    for (const Case& c : cases) {
        const RunResult run = Report(c.arguments, dir);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        if (c.status == 2 && c.arguments.size() > 1) {
            std::size_t drawn = 0;
            for (std::size_t at = run.err.find(" drawn\n"); at != std::string::npos; at = run.err.find(" drawn\n", at + 1))
                ++drawn;
            EXPECT_EQ(drawn, c.drawn) << run.err;
        }
        EXPECT_FALSE(FileExists(dir.File("fixture_report.html")));
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.html")));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe")));
    // A gnuplot that fails: the page all the same, with the reasons, and status 3.
    const std::string gnuplot = FakeGnuplot(dir, "exit 1");
    const RunResult run = Report({"fixture", "fixture.fa"}, dir, {"HORGRID_GNUPLOT=" + gnuplot});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("no picture for array 1: gnuplot failed"), std::string::npos) << run.err;
    const std::vector<SectionView> sections = Sections(ReadFile(dir.File("fixture_report.html")));
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].missing, 2u);
}

// Opens the page in headless Chromium and counts the pictures the browser
// decoded (skipped without Debian's chromium).
TEST(ReportCommand, PicturesShowInABrowser) {
    if (!FileExists("/usr/bin/chromium")) GTEST_SKIP() << "chromium is not installed";
    TempDir dir;
    CopyFixture(dir);
    ASSERT_EQ(Report({"fixture", "fixture.fa"}, dir).status, 0);
    // The page with a script that marks how many of its pictures have pixels.
    std::string html = ReadFile(dir.File("fixture_report.html"));
    html.insert(
        html.rfind("</body>"),
        "<script>window.addEventListener('load',()=>{const n=[...document.images].filter("
        "i=>i.complete&&i.naturalWidth>0).length;document.body.setAttribute('data-shown',n);});</script>");
    dir.Write("probe.html", html);
    const std::string profile = dir.File("profile");
    const RunResult run = RunProgram(
        "/usr/bin/timeout",
        {"120", "/usr/bin/chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--user-data-dir=" + profile, "--dump-dom", "file://" + dir.File("probe.html")},
        dir.path());
    EXPECT_NE(run.out.find("data-shown=\"3\""), std::string::npos) << run.err.substr(0, 2000);
    // The documented check writes a screenshot.
    const RunResult shot = RunProgram(std::string(HORGRID_SOURCE_DIR) + "/scripts/report_screenshot.sh",
                                      {"fixture_report.html", "shot.png"}, dir.path());
    EXPECT_EQ(shot.status, 0) << shot.err;
    EXPECT_EQ(ReadFile(dir.File("shot.png")).substr(0, 4), "\x89PNG");
}

}  // namespace
}  // namespace horgrid::test
