#include "codecs/block_facts.h"
#include "codecs/facts_text.h"

BlockFacts SkillFacts(ByteView block) {
    BlockFacts f;
    f.heading = "Skill";
    if (block.empty()) {
        NoteProblem(f, "The block is empty.");
        return f;
    }
    const FixedString name = FixedText(block, 1, block.size());
    f.lines.push_back(std::string("Action button: ") + (block[0] != 0 ? "Yes" : "No"));
    f.lines.push_back("Name: " + name.text);
    if (!name.terminated) NoteProblem(f, "The name has no terminating zero.");
    return f;
}
