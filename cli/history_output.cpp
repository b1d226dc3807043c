#include <ctime>

#include "cli/output.hpp"
#include "renamer/history.hpp"

namespace cli {

namespace {

std::string local_time(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    localtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

}  // namespace

void write_history(std::ostream& out, const std::vector<renamer::BatchRecord>& batches, Format format) {
    for (const renamer::BatchRecord& b : batches) {
        const std::string counts = std::to_string(b.done) + " of " + std::to_string(b.renames);
        switch (format) {
            case Format::json:
                out << "{\"batch\": " << b.sequence << ", \"time\": " << b.time << ", \"folder\": "
                    << json_string(b.base) << ", \"renames\": " << b.renames << ", \"done\": " << b.done
                    << ", \"state\": \"" << b.state << "\"}\n";
                break;
            case Format::null:
                for (const std::string& field : {std::to_string(b.sequence), local_time(b.time), b.state, counts, b.base})
                    out << field << '\0';
                break;
            case Format::lines:
                out << b.sequence << '\t' << local_time(b.time) << '\t' << b.state << '\t' << counts << '\t' << b.base
                    << '\n';
                break;
            case Format::none:
                break;
        }
    }
}

}  // namespace cli
