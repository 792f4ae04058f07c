// The --json output: one document on stdout, with field names that stay.
#pragma once

#include <QJsonObject>
#include <iosfwd>

#include "cli/block_differences.h"
#include "patch/Patch.h"

inline constexpr const char* kJsonHelp =
    "--json (anywhere on the line) prints one JSON document on stdout instead of text:\n"
    "  list    {\"blocks\": [{\"fileId\", \"block\", \"length\", \"flagA\", \"flagB\"}]}\n"
    "  diff    {\"equal\": bool, \"differences\": [{\"kind\": \"added\"|\"removed\"|\"changed\", \"fileId\", "
    "\"block\",\n"
    "           \"a\"/\"b\": {\"length\", \"flagA\", \"flagB\", \"sha256\"}}]}\n"
    "  verify  {\"matches\": bool, \"duplicates\", \"differences\": [as diff; a: expected, b: found,\n"
    "           added: extra, removed: missing]}\n"
    "  types   {\"types\": [{\"fileId\", \"name\", \"fixedBlockSize\" (0: indexed), \"highestBlock\"}]}\n"
    "  info    {\"types\": [{\"fileId\", \"name\", \"live\", \"superseded\", \"withoutData\", \"bytes\"}],\n"
    "           \"live\", \"bytes\"}\n"
    "  import, compare  {\"added\"}\n"
    "  apply   {\"lines\", \"operations\", \"live\", \"exports\": [paths]}\n"
    "Errors stay on stderr as text.\n";

void PrintJson(std::ostream& out, const QJsonObject& document);

// Prints the live blocks of `patch` in file ID order as the list document.
int PrintBlocksJson(std::ostream& out, const Patch& patch);

QJsonObject DifferenceJson(const BlockDifference& d);
