// Job files: the operator's whole plan of a drawing (cutting order, lead-ins, marks, transforms, kerf and
// lead-in length), saved so that it can be opened again to the same picture and the same program.
//
// The drawing itself is not copied: the job names it and holds its size and a hash of its bytes, so a drawing
// changed since is noticed. Opening a job reads the drawing again in the job's mode (the store, units and read
// report come from it) and then puts the job's plan in place of the fresh one. The part entries hold their
// records' texts, so the plan and its program stay the job's even when the drawing changed.
//
// The file is text, one value per line in a fixed order, CR LF after every line:
//
//   ZORVAN job 3
//   drawing /home/ann/parts/plate.dxf
//   fingerprint 2481 9f3a0c55e21b7d04        size in bytes, FNV-1a hash of the bytes (16 hex digits)
//   mode sheet                                default | sheet
//   units millimetres                         millimetres | inches (sheet mode, a drawing declaring units)
//   units-source the header's G21
//   cut-open no                               no | yes
//   curve-tolerance 0.01
//   kerf 1.5                                  0: not given
//   compensation controller                   controller | program (format 2 on)
//   lead-in 5                                 the lead-in box's text
//   lead-in-style arc                         line | arc: the outside cuts' lead-in (the cut style, format 3 on)
//   hole-lead-in-style line                   line | arc: the holes'
//   lead-in-radius 0                          an arc lead-in's radius; 0: half the lead-in
//   overcut 0.5
//   lead-out line                             none | line | arc
//   lead-out-length 2                         a line lead-out's length, an arc lead-out's radius
//   small-holes 6                             the diameter below which a hole is small; 0: none
//   small-hole-feed share 0.6                 share S (of the cutting feed) | feed F (an F value of its own)
//   extents -2.5 0 120 80                     min x, min y, max x, max y
//   sheet-plan 0 0 0                          open contours left out, of them inside parts, closed not cut once
//   parts 2
//   part II 8 5 8 5:10 5 0 2 + 8 5 K|:NOTS NOTD 0:
//   part OO 0 0 -1 0:0 0 0 40 0 0 D|...:NOTS DEL -1200:
//   unclear 1                                 parts whose lead-in is not clear, blank-separated
//   open-contours 1                           the open contours left out (from format 2 on; format 1 has none)
//   open-contour OO 50 0 50 0:50 0 0 60 0 0 D|:NOTS NOTD 0:
//   contours 2
//   contour 0|
//   contour 1|2|3|4|
//   chain 0|:1|2|3|4|:
//   end
//
// Numbers are written in the shortest form that reads back as the same double. A value is written as it is
// after the keyword and one blank (an empty one as the keyword alone), except that "\" is written "\\" and a
// control character (CR, LF, tab ...) "\xHH", so any text comes back byte for byte. A file is read within
// the bound of every file read whole; the counts are at most the 1,001 rows of the tables. The cut style is the
// one the plan's lead-ins were worked out with; the cutting feed small holes go back to is not kept, it comes
// from the templates the program is written with. A job planned in the default mode, and one of format 1 or 2,
// has the default style.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gcode/main_job.h"
#include "import/dxf_reader.h"
#include "model/program.h"

namespace zorvan {

// The format this program writes, and the newest it reads.
inline constexpr int kJobFormat = 3;

// A file's size and the 64-bit FNV-1a hash of its bytes.
struct DrawingFingerprint {
    std::uintmax_t size = 0;
    std::uint64_t hash = 0;
    friend bool operator==(const DrawingFingerprint&, const DrawingFingerprint&) = default;
};
DrawingFingerprint FingerprintOf(std::string_view bytes);
// The fingerprint of the file at `path`, or why it cannot be read (WhyFileCannotBeRead's reason).
struct FileFingerprint {
    std::optional<DrawingFingerprint> fingerprint;
    std::string problem;
};
FileFingerprint FingerprintOfFile(const std::string& path);

struct JobFile {
    std::string drawingPath;
    // How the drawing was read: the mode; in sheet mode the units it was written in and their source, whether
    // open contours are cut, the curve tolerance. The code and name lists are always the default ones.
    ReadOptions read;
    DrawingFingerprint fingerprint;
    double kerf = 0;
    bool kerfInProgram = false;  // the program allows for the kerf (no G41/G42)
    std::string leadIn = "0.25";
    CutStyle cutStyle;  // its feed is not kept (ApplyJobSettings takes the templates')
    double extMinX = 0, extMinY = 0, extMaxX = 0, extMaxY = 0;
    // Sheet mode's counts of its plan (Program::openContoursLeftOut, openInsideParts, closedNotPlannedOnce).
    int32_t openContoursLeftOut = 0, openInsideParts = 0, closedNotPlannedOnce = 0;
    std::vector<std::string> parts;  // partList rows 0..partCount-1, verbatim
    std::vector<int32_t> unclearLeadIns;
    std::vector<std::string> openLeftOut;  // the open contours the plan left out (format 2 on), verbatim
    std::vector<std::string> contours;  // contourList rows 0..contourCount-1
    std::string contourChain;
};

// What the window keeps beside the program: the lead-in box's text, the parts whose lead-in is not clear, and
// whether open contours are cut (the window does not cut them).
struct JobWindowValues {
    std::string leadIn = "0.25";
    std::vector<int32_t> unclearLeadIns;
    bool cutOpen = false;
};

// The plan of the drawing on hand (program.openedDrawingPath) as a job. The read options follow from how the
// drawing was read: a drawing that declares its units was written in recordUnits, from unitsSource.
JobFile CaptureJob(const Program& program, const DrawingFingerprint& fingerprint, JobWindowValues window);

// The job file's text, CR LF after every line.
std::string WriteJobText(const JobFile& job);

// A job read back, or the reason it was refused, naming `name` (the file) and the line:
//   "/p/plate.zjob is not a job file."    "/p/plate.zjob line 12: the kerf "x" is not a number."
struct JobRead {
    std::optional<JobFile> job;
    std::string error;
};
JobRead ParseJobText(std::string_view text, const std::string& name);
// The job file at `path`, read within the size bound of every file read whole.
JobRead ReadJobFile(const std::string& path);

// Puts the job's plan into a program whose drawing was just read again: the part entries and their count, the
// contour list and its count, contourChain, the extents, then ApplyJobSettings.
void RestoreJobPlan(Program& program, const JobFile& job);
// The kerf, the cut style (with the cutting feed of the program's templates) and sheet mode's counts of the plan.
void ApplyJobSettings(Program& program, const JobFile& job);

// A box's text for a job's kerf or one of its cut style's lengths: empty for none (0), else the shortest text
// that reads back as the same number.
std::string NumberBoxText(double value);

// The warning for a job whose drawing is no longer the one it was saved with.
//   "The drawing /p/plate.dxf has changed since the job was saved; the plan is the one saved in the job."
std::string ChangedDrawingWarning(const std::string& drawingPath);

// The refusal of a job whose drawing cannot be opened; `reason` follows the drawing's name:
//   "The job /p/plate.zjob was not opened: its drawing /p/plate.dxf cannot be read: No such file or directory."
std::string JobDrawingRefusal(const std::string& jobPath, const std::string& drawingPath, std::string_view reason);

// The main job of a job file, given its drawing's text: reads the drawing with the job's options, puts the
// job's plan in place, checks the lead-ins and the kerf, and writes the program with the templates of
// program.templateFolder (and the part file's line with `partFile`), as the window's "G CODE" writes the plan.
// Small holes go back to the templates' cutting feed, else to `feed`. Where the drawing is not read, nothing
// else is made and the program is unchanged.
JobResult RunJobFile(Program& program, const JobFile& job, std::string dxfText, bool partFile = false,
                     std::optional<double> feed = std::nullopt);

}  // namespace zorvan
