#include "codecs/block_facts.h"
#include "codecs/facts_text.h"
#include "codecs/file_ids.h"

BlockFacts SkillFacts(ByteView block) {
    const RecordLayout& layout = BlockTypeOf(kSkills, 0)->layouts[0];
    BlockFacts f;
    f.heading = "Skill";
    if (block.empty()) {
        NoteProblem(f, "The block is empty.");
        return f;
    }
    const BlockField& name = *FindField(layout, "name");
    f.lines.push_back(std::string("Action button: ") + (FieldNumber(*FindField(layout, "action"), block) != 0 ? "Yes" : "No"));
    f.lines.push_back("Name: " + FieldText(name, block));
    if (!FixedText(block, name.offset, block.size()).terminated) NoteProblem(f, "The name has no terminating zero.");
    // One row, for editing in place.
    f.table.columns = FieldColumns(layout);
    f.table.rows.push_back(FieldCells(layout, block));
    return f;
}
