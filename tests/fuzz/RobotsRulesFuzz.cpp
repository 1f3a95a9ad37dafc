// Arbitrary robots.txt files: the rules read from any of them allow
// /robots.txt, decide every path of the file itself, and ask for no delay
// longer than the bound.
#include "FuzzFrame.h"
#include "net/RobotsRules.h"

namespace gleanwork::fuzz {

FUZZ_TARGET(RobotsRules) {
    const RobotsRules rules = RobotsRules::Parse(input, "Gleanwork/1.0");
    FUZZ_CHECK(rules.Allows("/robots.txt"));
    for (std::size_t at = input.find('/'); at != std::string_view::npos;
         at = input.find('/', at + 1)) {
        rules.Allows(input.substr(at, input.find('\n', at) - at));
    }
    FUZZ_CHECK(!rules.CrawlDelay() || *rules.CrawlDelay() <= RobotsRules::kLongestCrawlDelay);
}

}  // namespace gleanwork::fuzz
