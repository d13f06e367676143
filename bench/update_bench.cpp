// A complete update over the instant simulated drive (virtual clock): wall
// time, korvel's own CPU time apart from chekval, and peak memory of both.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/process.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: update_bench KORVEL_SIM\n");
        return 2;
    }
    const int runs = 21;
    std::vector<double> wall;
    std::vector<long long> self, setup, run, children;
    long maxSelf = 0, maxChildren = 0;
    std::string trace = "/tmp/korvel-bench-trace.txt";
    for (int i = 0; i < runs; i++) {
        auto start = std::chrono::steady_clock::now();
        ProcessResult r = RunProcess({argv[1], "--drive", "E", "--trace", trace});
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                                 start).count());
        if (r.exitCode != 0) {
            fprintf(stderr, "update failed: %d\n%s", r.exitCode, r.out.c_str());
            return 1;
        }
        for (const std::string& l : ReadLines(trace)) {
            long long s, u, c;
            long ms, mc;
            if (sscanf(l.c_str(),
                       "end cpu-us self=%lld setup=%lld children=%lld maxrss-kb self=%ld children=%ld",
                       &s, &u, &c, &ms, &mc) == 5) {
                self.push_back(s);
                setup.push_back(u);
                run.push_back(s - u);
                children.push_back(c);
                maxSelf = std::max(maxSelf, ms);
                maxChildren = std::max(maxChildren, mc);
            }
        }
    }
    std::sort(wall.begin(), wall.end());
    std::sort(self.begin(), self.end());
    std::sort(children.begin(), children.end());
    std::sort(setup.begin(), setup.end());
    std::sort(run.begin(), run.end());
    printf("complete update, instant simulated drive (median of %d):\n", runs);
    printf("  wall %.1f ms; chekval's CPU %.1f ms\n", wall[runs / 2],
           children[children.size() / 2] / 1000.0);
    printf("  korvel-sim CPU %.1f ms: machine set-up %.1f ms, the run %.1f ms (korvel and the "
           "simulated drive it talks to)\n",
           self[self.size() / 2] / 1000.0, setup[setup.size() / 2] / 1000.0,
           run[run.size() / 2] / 1000.0);
    // A spawned child's ru_maxrss keeps korvel's high-water mark across its exec,
    // so chekval's own peak is measured apart (bench/peak_rss).
    printf("  peak resident memory of korvel-sim, simulated drive included: %ld KiB\n", maxSelf);
    (void)maxChildren;
    return 0;
}
