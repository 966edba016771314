// Benchmarks of reading and chaining: the largest drawing the tables take, each pass of the reader on it, the
// chaining alone from 1,000 to 100,000 records, and the pair-by-pair linking the end point grid replaced.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "generated_drawings.h"
#include "import/chaining.h"
#include "import/dxf_passes.h"
#include "import/dxf_reader.h"
#include "model/number_text.h"
#include "model/program.h"
#include "model/record_text.h"

namespace {

using namespace zorvan;

int64_t CountContours(const std::string& chain) { return std::count(chain.begin(), chain.end(), ':'); }

// Links of every record from its ends compared with every other record's ends, later matches overwriting
// earlier ones: the quadratic rule that the end point grid answers in one look-up per end.
void LinkPairByPair(ChainTables& t, const RecordList& records) {
    const auto n = static_cast<int32_t>(records.size());
    std::vector<char> circle(records.size());
    for (size_t i = 0; i < records.size(); ++i) circle[i] = records[i].IsCircle() ? 1 : 0;
    for (int32_t o = 0; o < n; ++o) {
        const auto uo = static_cast<size_t>(o);
        t.linkAtStart[uo] = t.linkAtEnd[uo] = -1;
        if (circle[uo]) continue;
        for (int32_t i = 0; i < n; ++i) {
            const auto ui = static_cast<size_t>(i);
            if (i == o || circle[ui]) continue;
            if (EndsMeet(t.recStartX[uo], t.recStartY[uo], t.recStartX[ui], t.recStartY[ui])) t.linkAtStart[uo] = i;
            if (EndsMeet(t.recStartX[uo], t.recStartY[uo], t.recEndX[ui], t.recEndY[ui])) t.linkAtStart[uo] = i;
            if (EndsMeet(t.recEndX[uo], t.recEndY[uo], t.recStartX[ui], t.recStartY[ui])) t.linkAtEnd[uo] = i;
            if (EndsMeet(t.recEndX[uo], t.recEndY[uo], t.recEndX[ui], t.recEndY[ui])) t.linkAtEnd[uo] = i;
        }
    }
}

RecordList ValuesOf(const std::vector<std::string>& records) {
    RecordList values;
    for (const std::string& record : records) values.emplace_back(record);
    return values;
}

std::string ChainPairByPair(const RecordList& records, ChainTables& tables) {
    ReadRecordEnds(records, tables);
    LinkPairByPair(tables, records);
    return WalkContours(tables, static_cast<int32_t>(records.size()));
}

// ---------------------------------------------------------------------------------------------------------
// The whole read of the limit drawing, then each of its stages.

const std::string& LimitDrawing() {
    static const std::string text = bench::LimitDrawingDxf();
    return text;
}

void BM_ReadAndChainLimitDrawing(benchmark::State& state) {
    const std::string& dxf = LimitDrawing();
    auto program = std::make_unique<Program>();
    const DxfReadResult first = LoadDxfText(*program, dxf);
    if (first.outcome != DxfReadOutcome::Loaded || program->store.n != 99603 || program->dxfPairCount != 199707 ||
        CountContours(program->contourChain) != 499) {
        state.SkipWithError("the limit drawing did not load as 99,604 records, 199,707 pairs and 499 contours");
        return;
    }
    for (auto _ : state) {
        DxfReadResult result = LoadDxfText(*program, dxf);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(program->contourChain.data());
    }
    state.counters["records"] = program->store.n + 1;
}
BENCHMARK(BM_ReadAndChainLimitDrawing)->Unit(benchmark::kMillisecond);

void BM_LimitDrawingKeepPairs(benchmark::State& state) {
    const std::string& dxf = LimitDrawing();
    for (auto _ : state) {
        TextTable pairs;
        dxf::ScanFacts facts;
        dxf::ScanStop stop = dxf::KeepPairs(dxf, kDxfCodeList, kDxfNameList, pairs, facts);
        benchmark::DoNotOptimize(stop);
        benchmark::DoNotOptimize(pairs.Bytes().data());
    }
}
BENCHMARK(BM_LimitDrawingKeepPairs)->Unit(benchmark::kMillisecond);

void BM_LimitDrawingGroupEntities(benchmark::State& state) {
    TextTable pairs;
    dxf::ScanFacts facts;
    dxf::KeepPairs(LimitDrawing(), kDxfCodeList, kDxfNameList, pairs, facts);
    for (auto _ : state) {
        TextTable entities = dxf::GroupEntities(pairs);
        benchmark::DoNotOptimize(entities.Bytes().data());
    }
}
BENCHMARK(BM_LimitDrawingGroupEntities)->Unit(benchmark::kMillisecond);

void BM_LimitDrawingBuildRecords(benchmark::State& state) {
    TextTable pairs;
    dxf::ScanFacts facts;
    dxf::KeepPairs(LimitDrawing(), kDxfCodeList, kDxfNameList, pairs, facts);
    const double pi = Program().PI;
    for (auto _ : state) {
        dxf::Extents extents;
        dxf::BuiltRecords records;
        dxf::BuildStop fits = dxf::BuildRecords(pi, pairs, facts.planes, extents, records);
        benchmark::DoNotOptimize(fits);
        benchmark::DoNotOptimize(records.values.size());
    }
}
BENCHMARK(BM_LimitDrawingBuildRecords)->Unit(benchmark::kMillisecond);

void BM_LimitDrawingChain(benchmark::State& state) {
    TextTable pairs;
    dxf::ScanFacts facts;
    dxf::KeepPairs(LimitDrawing(), kDxfCodeList, kDxfNameList, pairs, facts);
    dxf::Extents extents;
    dxf::BuiltRecords records;
    dxf::BuildRecords(Program().PI, pairs, facts.planes, extents, records);
    ChainTables tables(records.size());
    for (auto _ : state) {
        std::string chain = ChainRecordValues(records.values, tables);
        benchmark::DoNotOptimize(chain.data());
    }
}
BENCHMARK(BM_LimitDrawingChain)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------------------------------
// Sheet mode's reading: the limit drawing, and 250 curved parts inserted as an array of one block.

ReadOptions SheetMode() {
    ReadOptions options;
    options.mode = ReadMode::Sheet;
    return options;
}

void BM_SheetReadLimitDrawing(benchmark::State& state) {
    auto program = std::make_unique<Program>();
    for (auto _ : state) {
        const DxfReadResult result = LoadDxfText(*program, LimitDrawing(), SheetMode());
        if (result.outcome != DxfReadOutcome::Loaded) state.SkipWithError("the limit drawing did not load");
    }
    state.counters["records"] = program->store.n + 1;
}
BENCHMARK(BM_SheetReadLimitDrawing)->Unit(benchmark::kMillisecond);

// A plate with a round hole, an elliptical slot and a closed cubic spline cut-out, as block "P", inserted as
// an array of 10 x 25.
std::string CurvedPartsArray() {
    std::string text = "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nP\n10\n0\n20\n0\n"
                       "0\nLWPOLYLINE\n90\n4\n70\n1\n10\n0\n20\n0\n10\n90\n20\n0\n10\n90\n20\n60\n10\n0\n20\n60\n"
                       "0\nCIRCLE\n10\n15\n20\n45\n40\n6\n"
                       "0\nELLIPSE\n10\n60\n20\n15\n11\n18\n21\n0\n40\n0.35\n41\n0\n42\n6.283185307179586\n"
                       "0\nSPLINE\n70\n8\n71\n3\n";
    for (const char* knot : {"0", "0", "0", "0", "0.5", "1", "1", "1", "1"}) text += std::string("40\n") + knot + "\n";
    for (const char* point : {"40\n35", "60\n45", "40\n55", "20\n45", "40\n35"}) {
        const std::string xy = point;
        text += "10\n" + xy.substr(0, xy.find('\n')) + "\n20\n" + xy.substr(xy.find('\n') + 1) + "\n";
    }
    return text + "0\nENDBLK\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
                  "0\nINSERT\n2\nP\n10\n0\n20\n0\n70\n10\n71\n25\n44\n100\n45\n70\n0\nENDSEC\n0\nEOF\n";
}

void BM_SheetReadCurvedParts(benchmark::State& state) {
    const std::string dxf = CurvedPartsArray();
    auto program = std::make_unique<Program>();
    for (auto _ : state) {
        const DxfReadResult result = LoadDxfText(*program, dxf, SheetMode());
        if (result.outcome != DxfReadOutcome::Loaded) state.SkipWithError("the curved parts did not load");
    }
    state.counters["records"] = program->store.n + 1;
    state.counters["contours"] = static_cast<double>(CountContours(program->contourChain));
}
BENCHMARK(BM_SheetReadCurvedParts)->Unit(benchmark::kMillisecond);

// Whole reads of line drawings of 1,000 to 100,000 records.
void BM_ReadAndChainScaling(benchmark::State& state) {
    const auto records = static_cast<int32_t>(state.range(0));
    const std::string dxf = bench::ScalingDrawingDxf(records);
    auto program = std::make_unique<Program>();
    if (LoadDxfText(*program, dxf).outcome != DxfReadOutcome::Loaded || program->store.n != records - 1) {
        state.SkipWithError("the scaling drawing did not load whole");
        return;
    }
    for (auto _ : state) {
        DxfReadResult result = LoadDxfText(*program, dxf);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_ReadAndChainScaling)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------------------------------
// The chaining alone, and its stages.

void BM_ChainRecords(benchmark::State& state) {
    const auto count = static_cast<int32_t>(state.range(0));
    const std::vector<std::string> records = bench::PolygonRecordTexts(count, 20);
    ChainTables tables(records.size());
    if (CountContours(ChainRecordTexts(records, tables)) != count / 20) {
        state.SkipWithError("the polygons did not chain into one contour each");
        return;
    }
    for (auto _ : state) {
        std::string chain = ChainRecordTexts(records, tables);
        benchmark::DoNotOptimize(chain.data());
    }
}
BENCHMARK(BM_ChainRecords)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Arg 0: the ends from the records' numbers, 1: linking through the grid, 2: the walks.
void BM_ChainStage(benchmark::State& state) {
    const RecordList records = ValuesOf(bench::PolygonRecordTexts(100000, 20));
    const auto count = static_cast<int32_t>(records.size());
    ChainTables tables(records.size());
    ChainRecordValues(records, tables);
    for (auto _ : state) {
        switch (state.range(0)) {
            case 0: ReadRecordEnds(records, tables); break;
            case 1: LinkRecordEnds(tables, count, records); break;
            default: {
                state.PauseTiming();
                std::fill(tables.chained.begin(), tables.chained.end(), int16_t{0});
                state.ResumeTiming();
                std::string chain = WalkContours(tables, count);
                benchmark::DoNotOptimize(chain.data());
            }
        }
        benchmark::DoNotOptimize(tables.linkAtStart.data());
    }
}
BENCHMARK(BM_ChainStage)->ArgName("stage")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_ChainPairByPair(benchmark::State& state) {
    const RecordList records = ValuesOf(bench::PolygonRecordTexts(static_cast<int32_t>(state.range(0)), 20));
    ChainTables tables(records.size());
    const std::string expected = ChainRecordValues(records, tables);
    if (ChainPairByPair(records, tables) != expected) {
        state.SkipWithError("pair-by-pair chaining differs from the grid chaining");
        return;
    }
    for (auto _ : state) {
        std::string chain = ChainPairByPair(records, tables);
        benchmark::DoNotOptimize(chain.data());
    }
}
BENCHMARK(BM_ChainPairByPair)->Arg(10000)->Unit(benchmark::kMillisecond);

// The four coordinate fields of 100,000 line records: the numbers the chaining parses for that many records.
void BM_LenientParse(benchmark::State& state) {
    std::vector<std::string> fields;
    for (const std::string& record : bench::PolygonRecordTexts(100000, 20)) {
        const auto parts = SplitFields(record);
        for (const size_t index : {0, 1, 3, 4}) fields.emplace_back(parts[index]);
    }
    for (auto _ : state) {
        double sum = 0;
        for (const std::string& field : fields) sum += LenientParse(field);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fields.size()));
}
BENCHMARK(BM_LenientParse)->Unit(benchmark::kMillisecond);

}  // namespace
