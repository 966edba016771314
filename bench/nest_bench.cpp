// Strip packing on the published instances: the length and utilisation of the nest after a time on two
// threads, its peak memory, and the same for bounding-box shelf packing, the floor. Each instance runs in a
// child process of its own, so that its peak memory is its own.
//
//   zorvan_nest_bench [--seconds S] [--threads T] [--seed N] INSTANCE.json ...
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "model/text_file.h"
#include "nesting/nest.h"
#include "nesting/shelf.h"
#include "strip_instance.h"

namespace {

using namespace zorvan;

struct Settings {
    std::string svgFolder;  // --svg DIR: a picture of each nest
    double seconds = 60;
    long long evaluations = 0;  // --evaluations N: stop after N nests instead (0: the time alone)
    int threads = 2;
    uint64_t seed = 1;
    std::vector<std::string> instances;
};

struct Outcome {
    double length = 0, utilisation = 0;
    long long placed = 0, copies = 0, evaluations = 0;
};

// The strip and its copies, 1000 pixels long.
std::string NestSvg(const NestJob& job, const NestResult& nest) {
    const double length = std::max(nest.status.length, 1.0), scale = 1000 / length;
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1000\" height=\"" +
                      std::to_string(static_cast<int>(job.sheetHeight * scale)) + "\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#eee\"/>\n";
    for (const Placement& placement : nest.placed) {
        svg += "<path fill=\"#8ac\" stroke=\"#246\" stroke-width=\"0.5\" d=\"";
        char at = 'M';
        for (const Point2& p : job.items[static_cast<size_t>(placement.item)].shape.outline) {
            const Point2 q = PlacePoint(placement, p);
            svg += at + std::to_string(q.x * scale) + " " + std::to_string((job.sheetHeight - q.y) * scale) + " ";
            at = 'L';
        }
        svg += "Z\"/>\n";
    }
    return svg + "</svg>\n";
}

// The nest of one instance, in the child: its outcome written to `fd`.
int NestInChild(const Settings& settings, const std::string& path, int fd) {
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) return 2;
    const StripInstance instance = ReadStripInstance(*text);
    if (!instance.error.empty()) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), instance.error.c_str());
        return 2;
    }
    NestLimits limits;
    limits.seconds = settings.seconds;
    limits.threads = settings.threads;
    limits.seed = settings.seed;
    limits.mostEvaluations = settings.evaluations;
    const NestResult nest = NestParts(instance.job, limits);
    if (!nest.refusal.empty()) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), nest.refusal.c_str());
        return 2;
    }
    if (!settings.svgFolder.empty()) {
        const std::string name = path.substr(path.find_last_of('/') + 1);
        SaveTextFile(settings.svgFolder + "/" + name + ".svg", NestSvg(instance.job, nest));
    }
    const Outcome outcome{nest.status.length, nest.status.utilisation, nest.status.placed, nest.status.copies,
                          nest.status.evaluations};
    return write(fd, &outcome, sizeof outcome) == static_cast<ssize_t>(sizeof outcome) ? 0 : 6;
}

bool Run(const Settings& settings, const std::string& path, Outcome& outcome, long& peakKilobytes) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        _exit(NestInChild(settings, path, pipeEnds[1]));
    }
    close(pipeEnds[1]);
    const bool read = child > 0 && ::read(pipeEnds[0], &outcome, sizeof outcome) == static_cast<ssize_t>(sizeof outcome);
    close(pipeEnds[0]);
    int status = 0;
    struct rusage usage {};
    if (child > 0) wait4(child, &status, 0, &usage);
    peakKilobytes = usage.ru_maxrss;
    return read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    for (int k = 1; k < argc; ++k) {
        const std::string argument = argv[k];
        const bool hasValue = k + 1 < argc;
        if (argument == "--seconds" && hasValue) {
            settings.seconds = std::atof(argv[++k]);
        } else if (argument == "--evaluations" && hasValue) {
            settings.evaluations = std::atoll(argv[++k]);
        } else if (argument == "--threads" && hasValue) {
            settings.threads = std::atoi(argv[++k]);
        } else if (argument == "--svg" && hasValue) {
            settings.svgFolder = argv[++k];
        } else if (argument == "--seed" && hasValue) {
            settings.seed = std::strtoull(argv[++k], nullptr, 10);
        } else {
            settings.instances.push_back(argument);
        }
    }
    std::printf("Nest: %g s on %d threads, seed %llu. Shelf: bounding boxes in columns.\n\n", settings.seconds,
                settings.threads, static_cast<unsigned long long>(settings.seed));
    std::printf("| instance | copies | length | utilisation | nests evaluated | peak memory | shelf length | shelf utilisation |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|\n");
    int worst = 0;
    for (const std::string& path : settings.instances) {
        const std::optional<std::string> text = ReadWholeFile(path);
        const StripInstance instance = text ? ReadStripInstance(*text) : StripInstance{};
        const ShelfNest shelf = ShelfPack(instance.job);
        Outcome outcome;
        long peak = 0;
        if (!Run(settings, path, outcome, peak)) {
            std::printf("| %s | failed |\n", path.c_str());
            worst = 1;
            continue;
        }
        const std::string name = instance.name.empty() ? path : instance.name;
        std::printf("| %s | %lld/%lld | %.1f | %.1f %% | %lld | %.0f MB | %.1f | %.1f %% |\n", name.c_str(), outcome.placed,
                    outcome.copies, outcome.length, 100 * outcome.utilisation, outcome.evaluations, static_cast<double>(peak) / 1024.0,
                    shelf.length, 100 * shelf.utilisation);
        std::fflush(stdout);
    }
    return worst;
}
