// The "Nest" tab's logic.
#include "ui/nest_form.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <new>
#include <thread>

#include "gcode/program_units.h"
#include "import/dxf_reader.h"
#include "import/opening.h"
#include "model/number_text.h"
#include "model/text_file.h"
#include "ui/plan_keeping.h"

namespace zorvan {

// The nest under way: the worker thread and what it hands to the window. The worker owns `order` until
// `finished`; the status and the ending are passed under the mutex.
struct NestRun {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::optional<NestStatus> status;  // the last progress not yet shown
    bool finished = false;
    NestOrder order;
    NestInput input;
    NestResult result;
    bool searched = false;  // false: stopped, or nothing to nest, before the search began
    std::thread thread;

    ~NestRun() {
        stop = true;
        if (thread.joinable()) thread.join();
    }
};

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool Blank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }


std::string Percent(double fraction) { return FixedForReading(100 * fraction, 1) + " %"; }

std::string Plural(int64_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// The boxes that hold numbers, and what each takes.
enum class BoxRule { Count, SheetSide, Spacing, Rotations, Seconds };
struct NumberBox {
    std::string NestForm::*text;
    const char* name;
    BoxRule rule;
};
constexpr NumberBox kBoxes[] = {
    {&NestForm::CountBox, "count", BoxRule::Count},
    {&NestForm::SheetWidthBox, "sheet width", BoxRule::SheetSide},
    {&NestForm::SheetHeightBox, "sheet height", BoxRule::SheetSide},
    {&NestForm::SpacingBox, "spacing", BoxRule::Spacing},
    {&NestForm::RotationsBox, "rotations", BoxRule::Rotations},
    {&NestForm::SecondsBox, "time", BoxRule::Seconds},
};

// A sheet larger than 100,000 units (100 m in millimetres) is larger than any cutting table.
constexpr double kLargestSheet = 1e5;

class RunProgress : public NestProgress {
public:
    explicit RunProgress(NestRun& run) : run_(run) {}
    void Report(const NestStatus& status) override {
        const std::lock_guard lock(run_.mutex);
        run_.status = status;
    }

private:
    NestRun& run_;
};

void Work(NestRun& run, NestLimits limits, double PI) {
    NestInput input;
    try {
        input = PrepareNest(run.order, PI);
    } catch (const std::bad_alloc&) {  // the window stays, and says so, rather than the program ending
        NestResult failed;
        failed.refusal = "not enough memory to read the drawings of the order";
        const std::lock_guard lock(run.mutex);
        run.result = std::move(failed);
        run.finished = true;
        return;
    }
    const bool allRead = std::all_of(input.sources.begin(), input.sources.end(), [](const NestSource& source) {
        return source.read.outcome == DxfReadOutcome::Loaded;
    });
    NestResult result;
    bool searched = false;
    if (allRead && !input.job.items.empty() && !run.stop) {
        RunProgress progress(run);
        limits.stop = &run.stop;
        result = NestParts(input.job, limits, &progress);
        searched = true;
    }
    const std::lock_guard lock(run.mutex);
    run.input = std::move(input);
    run.result = std::move(result);
    run.searched = searched;
    run.finished = true;
}

}  // namespace

NestForm::NestForm(Program& program, Form1& form1, Toolkit& toolkit) : program_(program), form1_(form1), toolkit_(toolkit) {}

NestForm::~NestForm() = default;

int32_t NestForm::SheetCount() const { return state_ == NestState::Done && nest_ ? nest_->status.sheets : 0; }

void NestForm::ShowRows() {
    Drawings.rows.clear();
    for (const NestRow& row : Rows) Drawings.AddItem(FileName(row.path) + "  x " + std::to_string(row.count));
    if (Drawings.selected >= Drawings.ListCount()) Drawings.selected = Drawings.ListCount() - 1;
}

void NestForm::Add_Click() {
    if (const auto chosen = toolkit_.ChooseFileToOpen("DXF |*.DXF")) AddDrawing(*chosen);
}

bool NestForm::AddDrawing(const std::string& given, int32_t count) {
    const std::string path = NormalisePath(given);
    if (const auto problem = WhyFileCannotBeRead(path)) {
        toolkit_.ShowMessage(OpeningRefusalMessage(path, *problem));
        return false;
    }
    if (!IsDxfPath(path)) {
        toolkit_.ShowMessage(std::string(kNotDxfMessage) + ": " + path);
        return false;
    }
    const auto known = std::find_if(Rows.begin(), Rows.end(), [&](const NestRow& row) { return IsSameFile(row.path, path); });
    if (known != Rows.end()) {
        Drawings.selected = static_cast<int32_t>(known - Rows.begin());
        StatusLine = FileName(path) + " is in the order already: change its count.";
    } else {
        Rows.push_back({path, std::clamp<int32_t>(count, 1, static_cast<int32_t>(kMostNestCopies))});
        Drawings.selected = static_cast<int32_t>(Rows.size()) - 1;
        StatusLine.clear();
    }
    ShowRows();
    Drawings_Click();
    return true;
}

void NestForm::Remove_Click() {
    const int32_t row = Drawings.selected;
    if (row < 0 || row >= static_cast<int32_t>(Rows.size())) return;
    Rows.erase(Rows.begin() + row);
    ShowRows();
    Drawings_Click();
}

void NestForm::Drawings_Click() {
    const int32_t row = Drawings.selected;
    if (row >= 0 && row < static_cast<int32_t>(Rows.size())) CountBox = std::to_string(Rows[static_cast<size_t>(row)].count);
}

void NestForm::Count_Change() {
    if (const std::string refusal = Refusal(&NestForm::CountBox); !refusal.empty()) {
        StatusLine = refusal + " Nothing was changed.";
        return;
    }
    const int32_t row = Drawings.selected;
    if (row < 0 || row >= static_cast<int32_t>(Rows.size())) return;
    Rows[static_cast<size_t>(row)].count = static_cast<int32_t>(*ParseWholeNumber(CountBox));
    ShowRows();
    StatusLine.clear();
}

void NestForm::Box_Change() {
    for (const NumberBox& box : kBoxes) {
        if (box.rule == BoxRule::Count) continue;  // the count box has its own change
        if (const std::string refusal = Refusal(box.text); !refusal.empty()) {
            StatusLine = refusal;
            return;
        }
    }
    StatusLine.clear();
}

std::string NestForm::Refusal(std::string NestForm::*box) const {
    const auto* entry = std::find_if(std::begin(kBoxes), std::end(kBoxes), [box](const NumberBox& known) { return known.text == box; });
    if (entry == std::end(kBoxes)) return {};
    const std::string& text = this->*box;
    if (entry->rule == BoxRule::Spacing && Blank(text)) return {};
    if (entry->rule == BoxRule::Rotations && AnyAngle) return {};
    const std::string holds = "The " + std::string(entry->name) + " box holds " + Quoted(text);
    const std::optional<double> value = ParseWholeNumber(text);
    if (!value || !std::isfinite(*value)) return holds + ", which is not a number.";
    const double v = *value;
    const bool whole = v == std::floor(v);
    switch (entry->rule) {
        case BoxRule::Count:
            if (whole && v >= 1 && v <= static_cast<double>(kMostNestCopies)) return {};
            return holds + ": the count is a whole number from 1 to " + std::to_string(kMostNestCopies) + ".";
        case BoxRule::SheetSide:
            if (v > 0 && v <= kLargestSheet) return {};
            return holds + ": a sheet's side is above 0 and at most 100000.";
        case BoxRule::Spacing:
            if (v > 0) return {};
            return holds + ": the spacing must be above 0 (empty: the kerf plus the lead-in, at least 2 mm).";
        case BoxRule::Rotations:
            if (whole && v >= 1 && v <= 360) return {};
            return holds + ": the rotations are a whole number of equal turns from 1 to 360 (4: 0, 90, 180, 270).";
        case BoxRule::Seconds:
            if (v >= 0 && v <= 86400) return {};
            return holds + ": the time is from 0 to 86400 seconds.";
    }
    return {};
}

std::optional<NestOrder> NestForm::OrderFromBoxes(const SheetCutting& cutting) {
    for (const NumberBox& box : kBoxes) {
        if (box.rule == BoxRule::Count && (Drawings.selected < 0 || Drawings.selected >= static_cast<int32_t>(Rows.size()))) continue;
        if (const std::string refusal = Refusal(box.text); !refusal.empty()) {
            toolkit_.ShowMessage(refusal + " Nothing was nested.");
            return std::nullopt;
        }
    }
    if (Rows.empty()) {
        toolkit_.ShowMessage("Nothing to nest: add the drawings of the order first (\"Add...\").");
        return std::nullopt;
    }
    Count_Change();  // a count typed but not yet taken is the selected row's
    NestOrder order;
    order.sheetWidth = *ParseWholeNumber(SheetWidthBox);
    order.sheetHeight = *ParseWholeNumber(SheetHeightBox);
    if (!Blank(SpacingBox)) order.spacing = *ParseWholeNumber(SpacingBox);
    const int32_t steps = AnyAngle ? 360 : static_cast<int32_t>(*ParseWholeNumber(RotationsBox));
    order.angles.clear();
    for (int32_t k = 0; k < steps; ++k) order.angles.push_back(360.0 * k / steps);
    order.mirror = Mirror;
    order.job.leadIn = cutting.leadIn;
    order.job.read.mode = ReadMode::Sheet;
    const SheetUnitsChoice units = ChooseSheetUnits(program_, std::nullopt, "");
    order.job.read.units = units.units;
    order.job.read.unitsSource = units.source;
    order.kerf = cutting.kerf;
    for (const NestRow& row : Rows) order.drawings.push_back({row.path, {}, row.count});
    return order;
}

void NestForm::Nest_Click() {
    if (state_ == NestState::Nesting) {
        toolkit_.ShowMessage("A nest is under way: stop it first (\"Stop\").");
        return;
    }
    const std::optional<SheetCutting> cutting = form1_.SheetCuttingFromBoxes();
    if (!cutting) return;
    std::optional<NestOrder> order = OrderFromBoxes(*cutting);
    if (!order) return;
    if (!ConfirmDropNest("A new nest", "Nest anyway?")) return;
    std::string unread;
    for (NestDrawing& drawing : order->drawings) {
        std::string why;
        if (const auto problem = WhyFileCannotBeRead(drawing.name)) {
            why = OpeningRefusalMessage(drawing.name, *problem);
        } else if (std::optional<std::string> text = ReadWholeFile(drawing.name)) {
            drawing.text = std::move(*text);
            continue;
        } else {
            why = drawing.name + " cannot be read.";
        }
        unread += "\n" + why;
    }
    if (!unread.empty()) {
        toolkit_.ShowMessage("Nothing was nested: a drawing of the order cannot be read." + unread);
        return;
    }
    seconds_ = *ParseWholeNumber(SecondsBox);
    NestLimits limits;
    limits.seconds = seconds_;
    limits.mostEvaluations = MostEvaluations;
    limits.threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 2u));
    run_ = std::make_unique<NestRun>();
    run_->order = std::move(*order);
    state_ = NestState::Nesting;
    Progress = 0;
    StatusLine = "Nesting: reading the drawings and making the first nest...";
    run_->thread = std::thread(Work, std::ref(*run_), limits, program_.PI);
}

void NestForm::Stop_Click() {
    if (state_ != NestState::Nesting || !run_) return;
    run_->stop = true;
    StatusLine = "Stopping: the best nest so far is kept...";
}

bool NestForm::Poll() {
    if (state_ != NestState::Nesting || !run_) return false;
    std::optional<NestStatus> status;
    bool finished = false;
    {
        const std::lock_guard lock(run_->mutex);
        status.swap(run_->status);
        finished = run_->finished;
    }
    if (finished) {
        run_->thread.join();
        TakeNest();
        return true;
    }
    if (!status) return false;
    ShowProgress(*status);
    return true;
}

bool NestForm::ConfirmDropNest(const std::string& dropping, const std::string& question) {
    if (state_ == NestState::Nesting) return toolkit_.AskYesNo("A nest is under way. " + dropping + " drops it. " + question, "Unsaved nest");
    std::vector<std::string> unkept;
    for (size_t sheet = 0; sheet < facts_.size(); ++sheet) {
        if (!facts_[sheet].kept) unkept.push_back(std::to_string(sheet + 1));
    }
    if (unkept.empty()) return true;
    const bool one = unkept.size() == 1;
    return toolkit_.AskYesNo((one ? "Sheet " : "Sheets ") + JoinedList(unkept) + " of the last nest " + (one ? "is" : "are") +
                                 " neither saved nor sent to G CODE. " + dropping + (one ? " drops it. " : " drops them. ") + question,
                             "Unsaved nest");
}

void NestForm::WaitForNest() {
    while (state_ == NestState::Nesting) {
        if (!Poll()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void NestForm::ShowProgress(const NestStatus& status) {
    const double done = seconds_ > 0 ? (seconds_ - status.secondsLeft) / seconds_ : 1;
    Progress = static_cast<int32_t>(std::clamp(std::round(100 * done), 0.0, 100.0));
    StatusLine = "Nesting: " + Plural(status.sheets, "sheet", "sheets") + ", " + std::to_string(status.placed) + "/" +
                 std::to_string(status.copies) + " parts placed, utilisation " + Percent(status.utilisation) + ", " +
                 std::to_string(static_cast<int64_t>(std::ceil(std::max(0.0, status.secondsLeft)))) + " s left" +
                 (run_ && run_->stop ? " (stopping)" : "");
}

void NestForm::TakeNest() {
    const std::unique_ptr<NestRun> run = std::move(run_);
    state_ = NestState::Idle;
    Progress = 0;
    if (run->input.sources.empty() && !run->result.refusal.empty()) {  // the reading itself failed
        StatusLine = "Nothing was nested: " + run->result.refusal + ".";
        toolkit_.ShowMessage(StatusLine);
        return;
    }
    // Drawings that were not read are named, each with why; nothing is nested without them.
    std::string unread;
    for (size_t d = 0; d < run->input.sources.size(); ++d) {
        const DxfReadResult& read = run->input.sources[d].read;
        if (read.outcome == DxfReadOutcome::Loaded) continue;
        const std::string message = ReadOutcomeMessage(read);
        unread += "\n" + run->order.drawings[d].name + ": " + (message.empty() ? "cannot be read." : message);
    }
    if (!unread.empty()) {
        StatusLine = "Nothing was nested: a drawing of the order was refused.";
        toolkit_.ShowMessage(StatusLine + unread);
        return;
    }
    std::string warnings;
    for (size_t d = 0; d < run->input.sources.size(); ++d) {
        for (const std::string& warning : run->input.sources[d].warnings) warnings += "\n" + run->order.drawings[d].name + ": " + warning;
    }
    if (run->input.job.items.empty()) {
        StatusLine = "Nothing to nest: the drawings hold no closed contour.";
        toolkit_.ShowMessage(StatusLine + warnings);
        return;
    }
    if (!run->searched) {
        StatusLine = "Stopped before the first nest: nothing was nested.";
        return;
    }
    const NestResult& result = run->result;
    if (!result.refusal.empty()) {
        StatusLine = "The nest is refused: " + result.refusal;
        toolkit_.ShowMessage(StatusLine);
        return;
    }
    // The copies left off, per part, with why.
    std::string leftOff;
    int64_t leftCopies = 0;
    const NestJob& job = run->input.job;
    std::vector<int32_t> counts(job.items.size(), 0);
    for (const auto& [item, copy] : result.notPlaced) ++counts[static_cast<size_t>(item)];
    for (size_t item = 0; item < counts.size(); ++item) {
        if (counts[item] == 0) continue;
        const NestItem& part = job.items[item];
        const bool fitsNone = std::find(result.fitNoSheet.begin(), result.fitNoSheet.end(), static_cast<int32_t>(item)) != result.fitNoSheet.end();
        std::string reason = "it fits no sheet in any allowed angle with the spacing";
        if (part.contours > job.mostContoursPerSheet || part.entities > job.mostEntitiesPerSheet) {
            reason = "it has more contours or entities than one sheet's program can hold";
        } else if (!fitsNone) {
            reason = "the nest was stopped before they were placed";
        }
        leftOff += "\n" + part.name + ": " + Plural(counts[item], "copy", "copies") + " not placed: " + reason + ".";
        leftCopies += counts[item];
    }
    order_ = std::make_unique<NestOrder>(std::move(run->order));
    input_ = std::make_unique<NestInput>(std::move(run->input));
    nest_ = std::make_unique<NestResult>(result);
    facts_.assign(static_cast<size_t>(std::max(0, nest_->status.sheets)), SheetFacts{});
    for (SheetFacts& facts : facts_) facts.copiesByDrawing.assign(order_->drawings.size(), 0);
    const double sheetArea = order_->sheetWidth * order_->sheetHeight;
    for (const Placement& placement : nest_->placed) {
        if (placement.sheet < 0 || placement.sheet >= static_cast<int32_t>(facts_.size())) continue;
        SheetFacts& facts = facts_[static_cast<size_t>(placement.sheet)];
        ++facts.parts;
        ++facts.copiesByDrawing[static_cast<size_t>(input_->itemSource[static_cast<size_t>(placement.item)].first)];
        facts.utilisation += ShapeArea(input_->job.items[static_cast<size_t>(placement.item)].shape) / sheetArea;
    }
    state_ = facts_.empty() ? NestState::Idle : NestState::Done;
    shownSheet_ = 0;
    Progress = 100;
    const NestStatus& status = nest_->status;
    StatusLine = "Nested " + std::to_string(status.placed) + " of " + Plural(status.copies, "part", "parts") + " on " +
                 Plural(status.sheets, "sheet", "sheets") + " of " + DefaultNumber(order_->sheetWidth) + " x " +
                 DefaultNumber(order_->sheetHeight) + ", spacing " + DefaultNumber(input_->spacing) + ", utilisation " +
                 Percent(status.utilisation) + "; " + Plural(status.evaluations, "nest", "nests") + " tried in " +
                 FixedForReading(nest_->seconds, 1) + " s" + (nest_->stopped ? " (stopped)" : "") + ".";
    if (leftCopies > 0) StatusLine += " Not placed: " + Plural(leftCopies, "copy", "copies") + " (see the message).";
    ShowSheet();
    if (!leftOff.empty() || !warnings.empty()) {
        toolkit_.ShowMessage((leftOff.empty() ? std::string("Every copy was placed.") : "Not every copy was placed:" + leftOff) +
                             (warnings.empty() ? "" : "\n\nWhat the drawings' reading left out:" + warnings));
    }
}

void NestForm::ShowSheet() {
    const int32_t sheets = SheetCount();
    if (sheets == 0) {
        SheetLabel.clear();
        SheetInfo.clear();
        return;
    }
    shownSheet_ = std::clamp(shownSheet_, 0, sheets - 1);
    SheetLabel = "Sheet " + std::to_string(shownSheet_ + 1) + " of " + std::to_string(sheets);
    const SheetFacts& facts = facts_[static_cast<size_t>(shownSheet_)];
    SheetInfo = Plural(facts.parts, "part", "parts") + " placed, utilisation " + Percent(facts.utilisation);
    std::string byDrawing;
    for (size_t d = 0; d < facts.copiesByDrawing.size(); ++d) {
        if (facts.copiesByDrawing[d] == 0) continue;
        byDrawing += (byDrawing.empty() ? "" : ", ") + FileName(order_->drawings[d].name) + " " + std::to_string(facts.copiesByDrawing[d]);
    }
    if (!byDrawing.empty()) SheetInfo += " (" + byDrawing + ")";
}

void NestForm::Previous_Click() {
    if (shownSheet_ > 0) --shownSheet_;
    ShowSheet();
}

void NestForm::Next_Click() {
    if (shownSheet_ + 1 < SheetCount()) ++shownSheet_;
    ShowSheet();
}

void NestForm::DrawSheet(Surface& surface) const {
    if (SheetCount() == 0) return;
    const double width = order_->sheetWidth, height = order_->sheetHeight;
    const double margin = 0.04 * std::max(width, height);
    double left = -margin, right = width + margin, bottom = -margin, top = height + margin;
    const double outerWidth = surface.OuterWidth(), outerHeight = surface.OuterHeight();
    if (!(outerWidth > 0) || !(outerHeight > 0)) return;
    // Grown to the surface's proportions, the sheet in the middle.
    const double spanX = right - left, spanY = top - bottom;
    if (spanX / spanY < outerWidth / outerHeight) {
        const double grow = spanY * outerWidth / outerHeight - spanX;
        left -= grow / 2, right += grow / 2;
    } else {
        const double grow = spanX * outerHeight / outerWidth - spanY;
        bottom -= grow / 2, top += grow / 2;
    }
    surface.SetScale(left, top, right, bottom);
    surface.SetDrawMode(DrawMode::Normal);
    surface.SetDashed(false);
    surface.Clear();
    surface.SetPenWidth(1);
    surface.Rectangle(0, 0, width, height, kGrey);
    // A colour per drawing of the order.
    constexpr Colour kColours[] = {0x0000FF, 0x008000, 0xC00000, 0x8000C0, 0x008080, 0xB06000};
    const auto ring = [&surface](const Placement& placement, const Ring& points, Colour colour) {
        if (points.empty()) return;
        const Point2 first = PlacePoint(placement, points.front());
        surface.MoveTo(first.x, first.y);
        for (size_t k = 1; k < points.size(); ++k) {
            const Point2 p = PlacePoint(placement, points[k]);
            surface.LineTo(p.x, p.y, colour);
        }
        surface.LineTo(first.x, first.y, colour);
    };
    for (const Placement& placement : nest_->placed) {
        if (placement.sheet != shownSheet_) continue;
        const size_t drawing = static_cast<size_t>(input_->itemSource[static_cast<size_t>(placement.item)].first);
        const Colour colour = kColours[drawing % std::size(kColours)];
        const NestShape& shape = input_->job.items[static_cast<size_t>(placement.item)].shape;
        surface.SetPenWidth(2);
        ring(placement, shape.outline, colour);
        surface.SetPenWidth(1);
        for (const Ring& hole : shape.holes) ring(placement, hole, colour);
    }
}

std::string NestForm::ProposedSheetPath(int32_t sheet, const std::string& ending) const {
    const std::filesystem::path first(order_->drawings.empty() ? std::string() : order_->drawings.front().name);
    return (first.parent_path() / ("sheet" + std::to_string(sheet + 1) + ending)).string();
}

NestedSheet NestForm::CutSheet(int32_t sheet, const SheetCutting& cutting) {
    auto program = std::make_unique<Program>();
    program->PI = program_.PI;
    program->templateFolder = program_.templateFolder;
    program->templateLines = program_.templateLines;
    program->templateLineCount = program_.templateLineCount;
    program->arcCentres = program_.arcCentres;
    program->kerf = cutting.kerf;
    program->kerfInProgram = cutting.kerfInProgram;
    program->cutStyle = cutting.style;
    order_->job.leadIn = cutting.leadIn;
    order_->kerf = cutting.kerf;
    const BusyCursor busy(toolkit_);
    return CutNestedSheet(*program, *order_, *input_, *nest_, sheet);
}

bool NestForm::SendToGCode_Click() {
    if (SheetCount() == 0) {
        toolkit_.ShowMessage("No nest to send: press NEST first.");
        return false;
    }
    // The boxes the sheet is planned with: one that refuses its text is named, and nothing opens.
    if (!form1_.SheetCuttingFromBoxes()) return false;
    // Only the drawing: opening it plans and cuts it as the plan on hand.
    const std::string dxf = NestedSheetDrawing(*order_, *input_, *nest_, shownSheet_, program_.PI);
    const std::string caption = "Nested " + SheetLabel + " (" + FileName(ProposedSheetPath(shownSheet_, ".dxf")) + ", not saved)";
    if (!form1_.OpenDrawingText(caption, ProposedSheetPath(shownSheet_, ".dxf"), dxf,
                                SheetEdge{0, 0, order_->sheetWidth, order_->sheetHeight})) return false;
    form1_.SSTab1Tab = Tab::Edit;
    facts_[static_cast<size_t>(shownSheet_)].kept = true;  // from now on the plan's own question guards it
    StatusLine = SheetLabel + " is the plan on hand: G CODE writes its program.";
    return true;
}

bool NestForm::SaveSheet_Click() {
    if (SheetCount() == 0) {
        toolkit_.ShowMessage("No nest to save: press NEST first.");
        return false;
    }
    const std::optional<SheetCutting> cutting = form1_.SheetCuttingFromBoxes();
    if (!cutting) return false;
    const std::optional<std::string> chosen = toolkit_.ChooseFileToSave(ProposedSheetPath(shownSheet_, ".nc"));
    if (!chosen) return false;
    const std::string programPath = *chosen;
    const std::string drawingPath = std::filesystem::path(programPath).replace_extension(".dxf").string();
    if (drawingPath == programPath) {
        toolkit_.ShowMessage(SaveFailedMessage(programPath, "name the program (such as sheet1.nc): the sheet's drawing goes beside it as .dxf"));
        return false;
    }
    // Neither file may be a drawing of the order: saving would destroy it.
    for (const NestDrawing& drawing : order_->drawings) {
        for (const std::string& path : {programPath, drawingPath}) {
            if (IsSameFile(path, drawing.name)) {
                toolkit_.ShowMessage(SaveFailedMessage(path, "it is " + drawing.name + ", a drawing of the order"));
                return false;
            }
        }
    }
    const NestedSheet cut = CutSheet(shownSheet_, *cutting);
    if (cut.job.read.outcome != DxfReadOutcome::Loaded || cut.job.programText.empty()) {
        const std::string message = ReadOutcomeMessage(cut.job.read);
        toolkit_.ShowMessage("Nothing was saved: " + SheetLabel + " could not be cut" + (message.empty() ? "." : ": " + message));
        return false;
    }
    if (const auto failure = SaveTextFile(programPath, cut.job.programText)) {
        toolkit_.ShowMessage(SaveFailedMessage(programPath, *failure));
        return false;
    }
    if (const auto failure = SaveTextFile(drawingPath, cut.dxf)) {
        toolkit_.ShowMessage(SaveFailedMessage(drawingPath, *failure) + " The program " + programPath + " was saved without it.");
        return false;
    }
    facts_[static_cast<size_t>(shownSheet_)].kept = true;
    StatusLine = "Saved " + SheetLabel + ": " + programPath + " (" + std::to_string(cut.job.programLines) + " lines) and its drawing " +
                 drawingPath + ".";
    return true;
}

}  // namespace zorvan
