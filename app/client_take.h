// Taking the client's blocks into the patch: as they are ("Add to patch"),
// or one of them replaced by a file ("Replace with file..."). Each is one
// undoable step of the document; questions go through the prompts.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

class ClientBlocks;
class PatchDocument;
class QWidget;

// Adds the client's blocks `numbers` of the reader's type to the patch, with
// the client's bytes and flags in the patch's form, as one step "Add to
// patch". Blocks the client has no data for are left out; where the patch
// already holds some, the user is asked whether the client's replace them
// (else they are skipped). Returns what the status bar says.
QString AddClientBlocks(QWidget* owner, PatchDocument& document, ClientBlocks& reader,
                        const std::vector<std::int32_t>& numbers);

// Makes block n of the reader's type the file at `path`, as one step
// "Replace with file": a PNG or BMP picture for gumps, art and textures,
// else the file's raw bytes. The block keeps the client's flags where the
// file gives none (a gump's size comes from its picture). Refusals are told
// through the prompts; returns what the status bar says ("" when nothing
// was done).
QString ReplaceWithFile(QWidget* owner, PatchDocument& document, ClientBlocks& reader, std::int32_t n,
                        const QString& path);
