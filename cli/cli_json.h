// The --json output: one document on stdout, with field names that stay.
#pragma once

#include <iosfwd>

#include "cli/block_differences.h"
#include "io/json.h"
#include "gamefiles/import.h"
#include "gamefiles/forms/verdata.h"
#include "patch/patch.h"

inline constexpr const char* kJsonHelp =
    "--json (anywhere on the line) prints one JSON document on stdout instead of text:\n"
    "  list    {\"blocks\": [{\"fileId\", \"block\", \"length\", \"flagA\", \"flagB\"}]}\n"
    "  diff    {\"equal\": bool, \"differences\": [{\"kind\": \"added\"|\"removed\"|\"changed\", \"fileId\", "
    "\"block\",\n"
    "           \"a\"/\"b\": {\"length\", \"flagA\", \"flagB\", \"sha256\"}}]}\n"
    "  verify  {\"matches\": bool, \"duplicates\", \"differences\": [as diff; a: expected, b: found,\n"
    "           added: extra, removed: missing]}\n"
    "  types   {\"types\": [{\"fileId\", \"name\", \"layout\": \"fixed\"|\"indexed\"|\"groups\"|\"files\",\n"
    "           \"fixedBlockSize\" (0 unless fixed), \"groups\": [{\"land\", \"static\"}] (both layouts of groups),\n"
    "           \"usualHighestBlock\" (of a usual file; files may hold more)}]}\n"
    "  info    {\"types\": [{\"fileId\", \"name\", \"live\", \"superseded\", \"withoutData\", \"bytes\"}],\n"
    "           \"live\", \"bytes\"}\n"
    "  package {\"version\", \"tables\", \"entries\": [{\"hash\" (16 hex digits), \"flag\", \"stored\", \"decoded\",\n"
    "           \"name\" (where a legacy name scheme gives it)}]}\n"
    "  status  {\"blocks\": [{\"state\", \"fileId\", \"block\", \"why\" (unfit only),\n"
    "           \"forms\": [{\"file\", \"state\"}] (where the client's two forms of a type disagree)}],\n"
    "           \"counts\": [{\"fileId\", \"name\", \"new\", \"changes\", \"same\", \"removes\", \"unfit\", "
    "\"unknown\"}]}\n"
    "  prune   {\"removed\", \"types\": [{\"fileId\", \"name\", \"removed\"}]}\n"
    "  import, compare  {\"added\", \"withoutData\", \"damaged\", \"leftOut\",\n"
    "           \"belowZero\": [{\"fileId\", \"block\"}] (entries left out for a number below 0; only when there are)}\n"
    "  apply   {\"lines\", \"operations\", \"live\", \"exports\": [paths]}\n"
    "  insert  {\"fileId\", \"block\", \"bytes\"}     remove  {\"fileId\", \"removed\"}\n"
    "  set-flags  {\"fileId\", \"block\", \"flagA\", \"flagB\"}     add-file  {\"kind\", \"file\"}\n"
    "  bmp-to-gump  {\"block\", \"width\", \"height\"}     gump-to-bmp  {\"written\", \"width\", \"height\"}\n"
    "  anim-to-png  {\"written\", \"block\", \"body\", \"action\", \"direction\", \"frames\", \"pixelsLeftOut\"}\n"
    "  png-to-anim  {\"block\", \"body\", \"action\", \"direction\", \"frames\", \"bytes\",\n"
    "               \"palette\": \"frames.json\"|\"pictures\"}\n"
    "  extract  {\"written\", \"bytes\"}     sound-to-wav  {\"written\", \"samples\"}     export  {\"written\"}\n"
    "  make-samples  {\"folder\", \"files\": [names]}\n"
    "  bake    {\"files\": [{\"name\", \"replaced\", \"added\", \"removed\", \"leftOut\", \"size\", \"sha256\"}],\n"
    "           \"leftOut\": [{\"fileId\", \"block\", \"file\", \"why\"}], \"notes\": [texts]}\n"
    "Errors stay on stderr as text.\n";

void PrintJson(std::ostream& out, const Json& document);

// Prints directory entries (file ID, block, length, flags) as the list document.
void PrintBlocksJson(std::ostream& out, const std::vector<VerdataEntry>& entries);

// The result document of import and compare.
Json ResultJson(const ImportReport& report);

Json DifferenceJson(const BlockDifference& d);
