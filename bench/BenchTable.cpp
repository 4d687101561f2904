// SPDX-License-Identifier: MIT
// Sets the figures of scripts/bench.sh side by side: for each setting, the
// median over the runs of every figure, the figures derived from them, and the
// load average the runs started under; printed as a table to read and as
// Markdown ready to paste into docs/performance.md (its summary and its figures).
//
// Usage: bench_table DIR [ABOUT]
// Reads DIR/SETTING.SOURCE.fig and DIR/SETTING.SOURCE.N.fig ("name value" lines,
// a name given once a run; "load" the load average as a run started), for the
// settings shipped and defaults. ABOUT is a line on the software measured.
#include "BenchFigures.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

const char* const kSettings[] = {"shipped", "defaults"};

struct SFigure {
    std::vector<double> m_values;
    std::string m_source; // the program that measured it
};

struct SSetting {
    std::map<std::string, SFigure> m_figures;
    std::map<std::string, std::vector<double>> m_loads; // by source
};

// The lower median, as sort and pick would take it.
double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) / 2];
}

void Read(const std::filesystem::path& path, const std::string& source, SSetting* pSetting) {
    std::ifstream in(path);
    std::string name;
    double value = 0;
    while (in >> name >> value) {
        if (name == "load") {
            pSetting->m_loads[source].push_back(value);
            continue;
        }
        SFigure& figure = pSetting->m_figures[name];
        figure.m_values.push_back(value);
        figure.m_source = source;
    }
}

// Derived: what a listener waits for on a sound card, on average. A strike is
// taken by the next mix, half a period away on average, and that mix is heard
// after the latency the device reports (the periods queued before it and the
// look-ahead of the output limiter).
void Derive(std::map<std::string, double>& m) {
    if (!m.count("stroke_median_ns") || !m.count("wave_period_frames") ||
        !m.count("wave_latency_ms") || !(m["wave_output_hz"] > 0))
        return;
    m["half_period_ms"] = m["wave_period_frames"] / m["wave_output_hz"] * 1000 / 2;
    m["key_to_sound_ms"] = m["stroke_median_ns"] / 1e6 + m["half_period_ms"] + m["wave_latency_ms"];
}

struct SRow {
    const char* m_key; // null for a heading
    const char* m_label;
    int m_decimals;
    bool m_summary; // also in the README's summary
};

const SRow kRows[] = {
    {nullptr, "Key to sound", 0, false},
    {"stroke_median_ns", "stroke path, key event -> sound started (ns)", 0, true},
    {"stroke_p99_ns", "  99th percentile (ns)", 0, false},
    {"stroke_p999_ns", "  99.9th percentile (ns)", 0, false},
    {"stroke_max_ns", "  slowest stroke of the run (ns)", 0, false},
    {"label_median_ns", "  of which naming + showing the key (ns)", 0, false},
    {"label_p99_ns", "    99th percentile (ns)", 0, false},
    {"label_max_ns", "    slowest (ns)", 0, false},
    {"strike_ringing_ns", "strike alone, PlayKey, voice ringing (ns)", 0, false},
    {"strike_silent_ns", "strike alone, PlayKey, voice silent (ns)", 0, false},
    {"kit_new_per_stroke", "operator new per stroke, kit + voice", 2, false},
    {"kit_malloc_per_stroke", "heap allocations per stroke, kit + voice + OpenAL", 2, true},
    {"kit_malloc_ours_per_100k", "  libc allocations per 100,000 strokes, kit + voice", 1, false},
    {"kit_malloc_openal_per_100k", "  libc allocations per 100,000 strokes, OpenAL Soft", 1, true},
    {"label_new_per_stroke", "operator new per stroke, Qt showing the key", 2, false},
    {"label_malloc_per_stroke", "heap allocations per stroke, Qt showing the key", 2, false},
    {"stroke_checked", "check: a stroke named its key and struck (1 = yes)", 0, false},
    {nullptr, "Output", 0, false},
    {"wave_period_frames", "mixing period (frames at 44100 Hz)", 0, false},
    {"wave_latency_ms", "device latency reported, ALC_DEVICE_LATENCY_SOFT (ms)", 2, false},
    {"wave_stream_delay_ms", "wave writer: clock at strike -> sample in output (ms)", 2, false},
    {"wave_stream_delay_max_ms", "  largest of the strikes (ms)", 2, false},
    {"wave_strikes_found", "  strikes found in the output (of 40)", 0, false},
    {"wave_mix_wait_ms", "wave writer: strike -> its mix done, real time (ms)", 2, false},
    {"wave_mix_wait_max_ms", "  largest of the strikes (ms)", 2, false},
    {"half_period_ms", "wait for the next mix on a sound card, average (ms)", 2, false},
    {"key_to_sound_ms", "key to sound on a sound card: stroke + wait + latency (ms)", 1, true},
    {nullptr, "Through a sound server: private server, null sink, the real program", 0, false},
    {"pulse_sink_ms", "PulseAudio: X key event -> first sample at the sink (ms)", 1, true},
    {"pulse_sink_low_ms", "  lower bound of the capture's timestamp (ms)", 1, false},
    {"pulse_sink_max_ms", "  slowest stroke (ms)", 1, false},
    {"pulse_sink_heard", "  strokes heard at the sink", 0, false},
    {"pulse_stream_buffer_ms", "  queued in the stream, as the server reports (ms)", 1, false},
    {"pulse_stream_sink_ms", "  the sink's own latency, as the server reports (ms)", 1, false},
    {"pulse_cold_ms", "  first stroke after 50 s of silence, the device paused (ms)", 1, true},
    {"pulse_rest_ms", "  first stroke after 15 s of silence (ms)", 1, false},
    {"pulse_idle_cpu_pct", "  silent from 40 to 50 s: the program's threads (% of a core)", 2,
     true},
    {"pulse_idle_mixer_pct", "    of which OpenAL Soft's mixer (% of a core)", 2, false},
    {"pulse_idle_client_pct", "    of which the PulseAudio client's loop (% of a core)", 2, false},
    {"pulse_server_idle_pct", "  silent from 40 to 50 s: the server's processes (% of a core)", 2,
     true},
    {"pulse_hung_start_ms", "  start with the server hung -> window shown (ms)", 0, true},
    {"pulse_hang_esc_ms", "  server hung after a restart: Esc -> program ended (ms)", 0, false},
    {"pipewire_sink_ms", "PipeWire: X key event -> first sample at the sink (ms)", 1, false},
    {"pipewire_sink_low_ms", "  lower bound of the capture's timestamp (ms)", 1, false},
    {"pipewire_sink_max_ms", "  slowest stroke (ms)", 1, false},
    {"pipewire_sink_heard", "  strokes heard at the sink", 0, false},
    {"pipewire_cold_ms", "  first stroke after 50 s of silence, the device paused (ms)", 1, false},
    {"pipewire_rest_ms", "  first stroke after 15 s of silence (ms)", 1, false},
    {"pipewire_idle_cpu_pct", "  silent from 40 to 50 s: the program's threads (% of a core)", 2,
     false},
    {"pipewire_idle_mixer_pct", "    of which OpenAL Soft's mixer (% of a core)", 2, false},
    {"pipewire_idle_client_pct", "    of which the PulseAudio client's loop (% of a core)", 2,
     false},
    {"pipewire_server_idle_pct", "  silent from 40 to 50 s: the server's processes (% of a core)",
     2, false},
    {"pipewire_hung_start_ms", "  start with the server hung -> window shown (ms)", 0, false},
    {"pipewire_hang_esc_ms", "  server hung after a restart: Esc -> program ended (ms)", 0, false},
    {"pulse_sink_xdotool_ms", "an xdotool run, the key event's timestamp error (ms)", 1, false},
    {nullptr, "Start-up and memory", 0, false},
    {"startup_ms", "program start -> drum pad window mapped, from outside (ms)", 0, true},
    {"startup_cpu_ms", "  of which its threads on a processor (ms)", 0, true},
    {"startup_wait_ms", "  of which waiting for a processor: the load (ms)", 0, true},
    {"init_program_ms", "Init cold in the real program, first in its process (ms)", 2, true},
    {"init_program_cpu_ms", "  of which on a processor (ms)", 2, true},
    {"init_program_wait_ms", "  of which waiting for a processor: the load (ms)", 2, false},
    {"init_program_faults", "  page faults it took", 0, false},
    {"init_cold_ms", "Init cold in stroke_bench: device + 140 voices (ms)", 2, true},
    {"init_cold_cpu_ms", "  of which on a processor (ms)", 2, false},
    {"init_cold_wait_ms", "  of which waiting for a processor: the load (ms)", 2, false},
    {"init_cold_faults", "  page faults it took", 0, false},
    {"init_voices", "  voices created", 0, false},
    {"init_heap_mib", "  heap taken by Init (MiB)", 2, false},
    {"init_resident_mib", "  resident memory added by Init (MiB)", 2, false},
    {"device_heap_mib", "  of which the open device and context (MiB)", 2, false},
    {"voices_heap_mib", "  of which the 140 voices (MiB)", 2, false},
    {"sample_data_mib", "  sample data in the voices, 5 x 1088036 B (MiB)", 2, false},
    {"init_warm_ms", "Init warm: again in the same process (ms)", 2, true},
    {"init_warm_faults", "  page faults it took", 0, false},
    {"peak_rss_mib", "program peak resident memory, VmHWM (MiB)", 1, true},
};

std::string Format(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

class CTable {
public:
    explicit CTable(const std::filesystem::path& dir) {
        for (int s = 0; s < 2; ++s) {
            for (const auto& entry : std::filesystem::directory_iterator(dir)) {
                const std::string file = entry.path().filename().string();
                const std::string prefix = std::string(kSettings[s]) + ".";
                if (file.rfind(prefix, 0) != 0 || entry.path().extension() != ".fig")
                    continue;
                const std::string rest = file.substr(prefix.size());
                Read(entry.path(), rest.substr(0, rest.find('.')), &m_settings[s]);
            }
            for (const auto& [name, figure] : m_settings[s].m_figures)
                m_medians[s][name] = Median(figure.m_values);
            Derive(m_medians[s]);
        }
    }

    std::string Value(int setting, const char* key, int decimals) const {
        const auto found = m_medians[setting].find(key);
        return found == m_medians[setting].end() ? "missing" : Format(found->second, decimals);
    }
    std::string Ratio(const char* key) const {
        const auto a = m_medians[0].find(key);
        const auto b = m_medians[1].find(key);
        if (a == m_medians[0].end() || b == m_medians[1].end() || a->second == 0)
            return "-";
        return Format(b->second / a->second, 2);
    }
    // The load averages the runs behind the figure started under, both settings.
    std::string Load(const char* key) const {
        std::vector<std::string> sources = {"stroke", "wave"};
        const auto found = m_settings[0].m_figures.find(key);
        if (found != m_settings[0].m_figures.end())
            sources = {found->second.m_source};
        std::vector<double> loads;
        for (const SSetting& setting : m_settings)
            for (const std::string& source : sources)
                if (setting.m_loads.count(source))
                    for (double load : setting.m_loads.at(source))
                        loads.push_back(load);
        if (loads.empty())
            return "-";
        const auto [low, high] = std::minmax_element(loads.begin(), loads.end());
        return *low == *high ? Format(*low, 2) : Format(*low, 2) + "-" + Format(*high, 2);
    }

    void PrintText() const {
        std::printf("%-60s %10s %10s %8s %11s\n", "", "shipped", "defaults", "def/ship", "load");
        for (const SRow& row : kRows) {
            if (row.m_key == nullptr) {
                std::printf("\n%s\n", row.m_label);
                continue;
            }
            std::printf("%-60s %10s %10s %8s %11s\n", row.m_label,
                        Value(0, row.m_key, row.m_decimals).c_str(),
                        Value(1, row.m_key, row.m_decimals).c_str(), Ratio(row.m_key).c_str(),
                        Load(row.m_key).c_str());
        }
    }

    void PrintMarkdown(bool summary) const {
        if (summary)
            std::printf("| | shipped `alsoft.conf` | load average |\n|---|---:|---:|\n");
        else
            std::printf("| | shipped `alsoft.conf` | OpenAL Soft defaults | defaults / shipped "
                        "| load average |\n|---|---:|---:|---:|---:|\n");
        for (const SRow& row : kRows) {
            if (summary && (row.m_key == nullptr || !row.m_summary))
                continue;
            // Indented as in the text table, with em spaces that Markdown keeps.
            std::string label = row.m_label;
            const size_t indent = label.find_first_not_of(' ');
            label.erase(0, indent);
            for (size_t i = 0; i < indent / 2; ++i)
                label.insert(0, "&emsp;");
            if (row.m_key == nullptr)
                std::printf(summary ? "" : "| **%s** | | | | |\n", label.c_str());
            else if (summary)
                std::printf("| %s | %s | %s |\n", label.c_str(),
                            Value(0, row.m_key, row.m_decimals).c_str(), Load(row.m_key).c_str());
            else
                std::printf("| %s | %s | %s | %s | %s |\n", label.c_str(),
                            Value(0, row.m_key, row.m_decimals).c_str(),
                            Value(1, row.m_key, row.m_decimals).c_str(), Ratio(row.m_key).c_str(),
                            Load(row.m_key).c_str());
        }
    }

private:
    SSetting m_settings[2];
    std::map<std::string, double> m_medians[2];
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: bench_table DIR [ABOUT]\n");
        return 2;
    }
    const CTable table(argv[1]);
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
    double load[3];
    LoadAverage(load);
    const std::string machine = MachineName();
    const std::string about = argc == 3 ? argv[2] : "";

    std::printf("\nKadenzo figures, %s\nMachine: %s; load average now %.2f %.2f %.2f\n%s\n", date,
                machine.c_str(), load[0], load[1], load[2], about.c_str());
    std::printf("Medians of the runs. Load: the 1-minute load average as the runs behind the "
                "figure started.\n\n");
    table.PrintText();

    std::printf("\n---- ready to paste: docs/performance.md, Summary ----\n\n");
    std::printf("Measured %s on %s (%s), with the `alsoft.conf` that ships beside the "
                "program; medians, and the 1-minute load average the runs started under:\n\n",
                date, machine.c_str(), about.c_str());
    table.PrintMarkdown(true);
    std::printf("\n---- ready to paste: docs/performance.md, Figures ----\n\n");
    std::printf("Taken %s on %s. %s\n\n", date, machine.c_str(), about.c_str());
    table.PrintMarkdown(false);
    std::printf("\n---- end ----\n");
    return 0;
}
