// The patch against the client folder of the settings: each live block's
// state, judged in the background after the patch was opened and after each
// change, so that a patch of millions of blocks never stops the window. The
// tree's marks, the filter's state words and "Remove blocks the client
// already has" read from here.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "gamefiles/client_states.h"
#include "patch/block_tree.h"
#include "patch/patch_edit.h"

class PatchDocument;

class ClientComparison : public QObject {
    Q_OBJECT
public:
    ClientComparison(PatchDocument& document, QObject* parent = nullptr);
    ~ClientComparison() override;

    // The client folder ("" compares with nothing) and whether its
    // verdata.mul lies over its data files; judges afresh when they changed.
    void SetClient(const QString& folder, bool withVerdata);
    const QString& Folder() const { return folder_; }
    bool WithVerdata() const { return withVerdata_; }

    // Judges the document's patch as it is now; a judgement still running
    // is stopped. Until it is done no block has a state.
    void Refresh();
    // True when the states are those of the patch as it is now.
    bool Judged() const { return judged_; }
    // True while a judgement runs.
    bool Busy() const { return worker_.joinable() && !done_; }
    // Waits for the running judgement, for tests and the benchmarks.
    void Wait();

    // The state of a live block; none while judging, without a client
    // folder, or for a block the last judgement did not see.
    std::optional<BlockState> StateOf(BlockId id) const;
    // The number of blocks in `state` among those of file ID `fileId`.
    std::int64_t Count(std::uint8_t fileId, BlockState state) const;
    // The edit that removes every block in state `same`; empty while judging.
    PatchEdit SameBlocksRemoved() const;

    // The tree's mark of a state and the words its tooltip says.
    static QIcon Mark(BlockState state);
    static QString Tooltip(BlockState state);
    // The tooltip of a live block: its state's words and, where the client's
    // two forms of the type disagree, the state against each; "" without a state.
    QString TooltipOf(BlockId id) const;

signals:
    // A judgement ended (the states changed) or began (they are gone).
    void StatesChanged();
    // The client folder could not be read; the message says why.
    void Failed(const QString& message);

private:
    // The judged type of a block and the block's place in it.
    std::optional<std::pair<const TypeStates*, std::size_t>> Find(BlockId id) const;
    void Stop();
    void Finished(unsigned generation, Result<std::vector<TypeStates>> states);

    PatchDocument& document_;
    QString folder_;
    bool withVerdata_ = true;
    std::vector<TypeStates> states_;
    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> stop_;
    std::atomic<bool> done_ = true;
    bool judged_ = false;
    unsigned generation_ = 0;
};
