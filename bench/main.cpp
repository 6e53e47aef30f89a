// ostrivo-bench: performance figures, one subcommand per measured area.
//   ostrivo-bench <subcommand> [arguments]
#include <cstdio>
#include <cstring>

int BenchMotion(int argc, char **argv);
int BenchRecord(int argc, char **argv);
int BenchPipeline(int argc, char **argv);
int BenchCameras(int argc, char **argv);

namespace {

struct TBenchCommand
{
    const char *Name;
    int (*Run)(int argc, char **argv); // gets the arguments after the subcommand's name
    const char *Help;
};

const TBenchCommand Commands[] = {
    {"motion", BenchMotion, "motion scan against the SSE2 sum-of-absolute-differences floor, 720p and 1080p"},
    {"record", BenchRecord, "encoding cost per 720p frame and file size per minute, MPEG-4 and uncompressed"},
    {"cameras", BenchCameras, "the whole program with N cameras on one simulated stream against TurboJPEG decoding alone"},
    {"pipeline", BenchPipeline, "decode + motion analysis + hand-off of a 720p MJPEG stream against TurboJPEG decoding alone"},
};

int Usage()
{
    std::fprintf(stderr, "usage: ostrivo-bench <subcommand> [arguments]\nsubcommands:\n");
    for (const TBenchCommand &command : Commands)
        std::fprintf(stderr, "  %-10s %s\n", command.Name, command.Help);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return Usage();
    for (const TBenchCommand &command : Commands)
        if (std::strcmp(argv[1], command.Name) == 0)
            return command.Run(argc - 2, argv + 2);
    std::fprintf(stderr, "ostrivo-bench: unknown subcommand \"%s\"\n", argv[1]);
    return Usage();
}
