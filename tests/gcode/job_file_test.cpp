// Job files: every value written comes back exactly, and damaged or hostile files are refused with a message
// that names the file and the line.
#include "gcode/job_file.h"

#include <gtest/gtest.h>

namespace zorvan {
namespace {

// A job whose texts hold what a line-based format could lose: blanks at the ends, ":", "|", "\", line ends,
// tabs, a NUL, bytes above 0x7F, empty texts; and numbers whose 15-digit form would not read back exactly.
JobFile AwkwardJob() {
    JobFile job;
    job.drawingPath = "/home/ann/my parts\\2024/pläte.dxf";
    job.read.mode = ReadMode::Sheet;
    job.read.units = OutputUnits::Inches;
    job.fingerprint = {123456789012, 0x0123456789abcdefULL};
    job.kerf = 1.0 / 3;
    job.leadIn = " 5 \t";
    job.cutStyle = {LeadInStyle::Arc, LeadInStyle::Line, 1.0 / 7, 0.1 + 0.2, LeadOutStyle::Arc, 2.5, 6, 912.5, false, {}};
    job.extMinX = 0.1 + 0.2, job.extMinY = -0.0, job.extMaxX = 1e-300, job.extMaxY = -1.7976931348623157e308;
    job.parts = {"II 8 5 8 5:10 5 0 2 + 8 5 K|:NOTS NOTD 0:", "OO 0 0 -1 0:0 0 0 40 0 0 D|:SEL DEL -1200:", "",
                 " a:b|c \\x41 \\\\ \r\n\r end ", std::string("nul\0byte", 8)};
    job.unclearLeadIns = {4, 0};
    job.openLeftOut = {"OO 50 0 50 0:50 0 0 60 0 0 D|:NOTS NOTD 0:"};
    job.contours = {"0|", "1|2|3|4|", ""};
    job.contourChain = "0|:1|2|3|4|:";
    return job;
}

TEST(JobFileTest, EveryValueComesBackExactly) {
    const JobFile job = AwkwardJob();
    const std::string text = WriteJobText(job);
    EXPECT_TRUE(text.starts_with("ZORVAN job 3\r\ndrawing /home/ann/my parts\\\\2024/pläte.dxf\r\n")) << text;
    EXPECT_NE(text.find("\r\npart  a:b|c \\\\x41 \\\\\\\\ \\x0d\\x0a\\x0d end \r\n"), std::string::npos) << text;
    // CR LF after every line, and no other line end anywhere.
    for (size_t at = text.find_first_of("\r\n"); at != std::string::npos; at = text.find_first_of("\r\n", at + 2)) {
        ASSERT_EQ(text.compare(at, 2, "\r\n"), 0) << "at byte " << at;
    }
    const JobRead read = ParseJobText(text, "plate.zjob");
    ASSERT_TRUE(read.job) << read.error;
    EXPECT_EQ(read.job->parts, job.parts);
    EXPECT_EQ(read.job->openLeftOut, job.openLeftOut);
    EXPECT_EQ(read.job->cutStyle, job.cutStyle);
    // Every other field too: its text is the shortest that reads back as the same double, "-0" apart from "0".
    EXPECT_EQ(WriteJobText(*read.job), text);
}

// `text` with its first line `line` replaced by `instead`.
std::string Replaced(std::string text, const std::string& line, const std::string& instead) {
    return text.replace(text.find("\n" + line + "\r") + 1, line.size(), instead);
}

TEST(JobFileTest, DamagedAndHostileFilesAreRefusedNamingTheFileAndTheLine) {
    JobFile job;
    job.drawingPath = "/p/plate.dxf";
    job.read.mode = ReadMode::Sheet;
    job.parts = {"II 8 5 8 5:10 5 0 2 + 8 5 K|:NOTS NOTD 0:", "OO 0 0 -1 0:0 0 0 40 0 0 D|:NOTS NOTD -1200:"};
    const std::string sound = WriteJobText(job);  // the cut style on lines 12 to 19, "parts 2" on 22, "end" on 29
    ASSERT_TRUE(ParseJobText(sound, "j.zjob").job);
    const auto with = [&sound](const std::string& line, const std::string& instead) { return Replaced(sound, line, instead); };
    const struct {
        std::string text, error;
    } cases[] = {
        {"", "j.zjob is not a job file."},
        {"ZORVAN job 4" + sound.substr(12), "j.zjob is a job file of format 4, written by a newer version of ZORVAN; this version reads format 3."},
        {sound.substr(0, sound.find("kerf")), "j.zjob line 9: the file ends where the \"kerf\" line should be (it is cut short)."},
        {sound.substr(0, sound.size() - 3), "j.zjob line 29: a line starting \"end\" is expected here."},
        {with("kerf 0", "kerf 0,5"), "j.zjob line 9: the kerf \"0,5\" is not a number."},
        {with("kerf 0", "kerf nan"), "j.zjob line 9: the kerf \"nan\" is not a number."},
        {with("hole-lead-in-style line", "hole-lead-in-style curve"), "j.zjob line 13: the hole-lead-in-style \"curve\" is neither \"line\" nor \"arc\"."},
        {with("overcut 0", "overcut -1"), "j.zjob line 15: the overcut must be 0 or more."},
        {with("lead-out none", "lead-out loop"), "j.zjob line 16: the lead-out \"loop\" is none of \"none\", \"line\" and \"arc\"."},
        {with("small-hole-feed share 0.6", "small-hole-feed share 60%"), "j.zjob line 19: the small-hole feed \"60%\" is not a number."},
        {with("small-hole-feed share 0.6", "small-hole-feed share 1.5"), "j.zjob line 19: the small-hole feed's share must be above 0 and at most 1."},
        {with("small-hole-feed share 0.6", "small-hole-feed 900"), "j.zjob line 19: the small-hole feed \"900\" is neither \"share\" nor \"feed\" and a number."},
        {Replaced(with("mode sheet", "mode default"), "lead-in-style line", "lead-in-style arc"),
         "j.zjob line 19: the job is planned in the default mode, which keeps its lead-ins of lines: a cut style applies in sheet mode only."},
        {with("parts 2", "parts 999999999"), "j.zjob line 22: the number of parts 999999999 is more than 1001."},
        {with("parts 2", "parts 3"), "j.zjob line 25: a line starting \"part\" is expected here."},
        {with("unclear", std::string("unclear\0", 8)), "j.zjob line 25: a control character, which a job file never holds."},
        {with("unclear", "unclear 0\\q"), "j.zjob line 25: a \"\\\" that is followed neither by \"\\\" nor by \"x\" and two hex digits."},
        {with("unclear", "unclear 2"), "j.zjob line 25: part 2 has an unclear lead-in, but the plan has 2 parts."},
        {sound + "part extra\r\n", "j.zjob line 30: nothing may follow the \"end\" line."},
    };
    for (const auto& [text, error] : cases) {
        const JobRead read = ParseJobText(text, "j.zjob");
        EXPECT_FALSE(read.job) << error;
        EXPECT_EQ(read.error, error);
    }

    // Jobs of the earlier formats, without the lines that came later, still open, with the default cut style.
    const size_t style = sound.find("lead-in-style"), styleEnd = sound.find("extents");
    const std::string second = "ZORVAN job 2" + std::string(sound).erase(style, styleEnd - style).substr(12);
    std::string first = "ZORVAN job 1" + second.substr(12);
    first.erase(first.find("open-contours 0\r\n"), 17);
    first.erase(first.find("compensation controller\r\n"), 25);
    for (const std::string& old : {first, second}) {
        const JobRead read = ParseJobText(old, "j.zjob");
        ASSERT_TRUE(read.job) << read.error;
        EXPECT_EQ(read.job->parts, job.parts);
        EXPECT_EQ(read.job->cutStyle, CutStyle{});
    }
}

}  // namespace
}  // namespace zorvan
