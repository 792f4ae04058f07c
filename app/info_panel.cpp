#include "app/info_panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/anim_player.h"
#include "app/block_drawer.h"
#include "app/block_picture.h"
#include "app/client_side_view.h"
#include "app/fact_table_model.h"
#include "app/fact_table_view.h"
#include "app/prompts.h"
#include "app/patch_document.h"
#include "app/picture_view.h"
#include "app/settings.h"
#include "codecs/block_facts.h"
#include "codecs/block_fields.h"
#include "codecs/colors.h"
#include "codecs/file_ids.h"
#include "codecs/wav.h"
#include "gamefiles/forms/whole_files.h"
#include "patch/block_info.h"
#include "patch/file_types.h"
#include "patch/patch_edit.h"

namespace {
// Rows the table shows without scrolling at the least: a hues block's eight.
constexpr int kTableRows = 8;
}  // namespace

InfoPanel::InfoPanel(QWidget* parent, PatchDocument& document, const Settings& settings)
    : QWidget(parent), document_(document), settings_(settings) {
    setObjectName(QStringLiteral("InfoPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    lblHeading_ = new QLabel(this);
    lblHeading_->setObjectName(QStringLiteral("lblHeading"));
    QFont headingFont = lblHeading_->font();
    headingFont.setBold(true);
    headingFont.setPointSize(headingFont.pointSize() + 2);
    lblHeading_->setFont(headingFont);
    layout->addWidget(lblHeading_);
    for (std::size_t i = 0; i < lblInfo_.size(); ++i) {
        lblInfo_[i] = new QLabel(this);
        lblInfo_[i]->setObjectName(QStringLiteral("lblInfo%1").arg(i + 1));
        lblInfo_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(lblInfo_[i]);
    }
    lblFacts_ = new QLabel(this);
    lblFacts_->setObjectName(QStringLiteral("lblFacts"));
    lblFacts_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProblem_ = new QLabel(this);
    lblProblem_->setObjectName(QStringLiteral("lblProblem"));
    lblProblem_->setStyleSheet(QStringLiteral("color: #b00020;"));
    lblProblem_->setWordWrap(true);
    lblProblem_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdPlay_ = new QPushButton(QStringLiteral("&Play"), this);
    cmdPlay_->setObjectName(QStringLiteral("cmdPlay"));
    connect(cmdPlay_, &QPushButton::clicked, this, &InfoPanel::PlayRequested);
    layout->addSpacing(4);
    layout->addWidget(lblFacts_);
    layout->addWidget(lblProblem_);
    layout->addWidget(cmdPlay_, 0, Qt::AlignLeft);
    cmdAddClientBlock_ = new QPushButton(QStringLiteral("&Add to patch"), this);
    cmdAddClientBlock_->setObjectName(QStringLiteral("cmdAddClientBlock"));
    connect(cmdAddClientBlock_, &QPushButton::clicked, this, &InfoPanel::AddClientBlock);
    layout->addWidget(cmdAddClientBlock_, 0, Qt::AlignLeft);
    facts_ = new FactTableModel(this);
    tableRow_ = new QWidget(this);
    auto* tableLayout = new QHBoxLayout(tableRow_);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tblFacts_ = new FactTableView(tableRow_, facts_);
    tblFacts_->setObjectName(QStringLiteral("tblFacts"));
    tblFacts_->verticalHeader()->hide();
    tblFacts_->verticalHeader()->setDefaultSectionSize(tblFacts_->fontMetrics().height() + 4);
    tblFacts_->horizontalHeader()->setStretchLastSection(true);
    tableLayout->addWidget(tblFacts_, 1);
    // The current item's flags by name, beside its hex number in the table.
    lstFlags_ = new QListWidget(tableRow_);
    lstFlags_->setObjectName(QStringLiteral("lstFlags"));
    lstFlags_->setMaximumWidth(150);
    connect(lstFlags_, &QListWidget::itemChanged, this, &InfoPanel::FlagToggled);
    tableLayout->addWidget(lstFlags_);
    layout->addWidget(tableRow_);
    // The current hue's colours: a click opens the colour picker.
    swatches_ = new QWidget(this);
    auto* swatchGrid = new QGridLayout(swatches_);
    swatchGrid->setContentsMargins(0, 0, 0, 0);
    swatchGrid->setSpacing(1);
    for (std::size_t k = 0; k < cmdColors_.size(); ++k) {
        cmdColors_[k] = new QPushButton(swatches_);
        cmdColors_[k]->setObjectName(QStringLiteral("cmdColor%1").arg(k));
        cmdColors_[k]->setFixedSize(18, 18);
        connect(cmdColors_[k], &QPushButton::clicked, this, [this, k] { ChooseColor(static_cast<int>(k)); });
        swatchGrid->addWidget(cmdColors_[k], static_cast<int>(k / 16), static_cast<int>(k % 16));
    }
    swatchGrid->setColumnStretch(16, 1);
    layout->addWidget(swatches_);
    rowButtons_ = new QWidget(this);
    auto* rowLayout = new QHBoxLayout(rowButtons_);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    const struct {
        const char *name, *caption;
    } kRowButtons[] = {{"cmdAddRow", "&Add row"}, {"cmdRemoveRow", "Remo&ve row"}, {"cmdRowUp", "Move &up"},
                       {"cmdRowDown", "Move do&wn"}};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(kRowButtons[i].caption), rowButtons_);
        button->setObjectName(QString::fromLatin1(kRowButtons[i].name));
        connect(button, &QPushButton::clicked, this, [this, i] { RowCommand(i); });
        rowLayout->addWidget(button);
    }
    rowLayout->addStretch(1);
    layout->addWidget(rowButtons_);
    lblRefusal_ = new QLabel(this);
    lblRefusal_->setObjectName(QStringLiteral("lblRefusal"));
    lblRefusal_->setStyleSheet(QStringLiteral("color: #b00020;"));
    lblRefusal_->setWordWrap(true);
    lblRefusal_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblRefusal_);
    connect(facts_, &FactTableModel::Refused, this, [this](const QString& reason) {
        lblRefusal_->setText(reason);
        lblRefusal_->setVisible(!reason.isEmpty());
    });
    connect(facts_, &QAbstractItemModel::modelReset, this, &InfoPanel::UpdateRowEditors);
    connect(facts_, &QAbstractItemModel::dataChanged, this, &InfoPanel::UpdateRowEditors);
    connect(tblFacts_->selectionModel(), &QItemSelectionModel::currentChanged, this, &InfoPanel::UpdateRowEditors);
    // The pictures row: the block's picture, with room for more beside it.
    pictures_ = new QHBoxLayout;
    view_ = new PictureView(this);
    pictures_->addWidget(view_, 1);
    // A house or a map block drawn from art, beside a map block's radar square.
    drawingView_ = new PictureView(this);
    drawingView_->setObjectName(QStringLiteral("viewDrawing"));
    pictures_->addWidget(drawingView_, 2);
    drawer_ = new BlockDrawer(this);
    connect(drawer_, &BlockDrawer::Drawn, this, [this](BlockId id, const QImage& image, const QString& summary) {
        if (!drawn_ || !(drawn_->first == id)) return;
        drawingView_->SetPicture(image);
        lblDrawing_->setText(summary);
        FitRows();
        emit PictureArrived();
    });
    drawingBar_ = new QWidget(this);
    auto* barLayout = new QHBoxLayout(drawingBar_);
    barLayout->setContentsMargins(0, 0, 0, 0);
    chkComponents_ = new QCheckBox(QStringLiteral("&Components table"), drawingBar_);
    chkComponents_->setObjectName(QStringLiteral("chkComponents"));
    chkComponents_->setChecked(true);
    connect(chkComponents_, &QCheckBox::toggled, this, [this](bool on) {
        tableRow_->setVisible(on && (facts_->rowCount() > 0 || facts_->RowsVary()));
        UpdateRowEditors();
        FitRows();
    });
    chkShowHidden_ = new QCheckBox(QStringLiteral("Show &hidden"), drawingBar_);
    chkShowHidden_->setObjectName(QStringLiteral("chkShowHidden"));
    chkShowHidden_->setToolTip(QStringLiteral("Draws the components whose flags are 0 too"));
    connect(chkShowHidden_, &QCheckBox::toggled, this, [this] {
        if (drawn_) RequestDrawing(drawn_->first, Bytes(drawn_->second));
    });
    barLayout->addWidget(chkComponents_);
    barLayout->addWidget(chkShowHidden_);
    barLayout->addStretch(1);
    layout->addWidget(drawingBar_);
    lblDrawing_ = new QLabel(this);
    lblDrawing_->setObjectName(QStringLiteral("lblDrawing"));
    lblDrawing_->setWordWrap(true);
    lblDrawing_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblDrawing_);
    // The client's block beside the patch's, at the scale the patch's is drawn.
    clientSide_ = new ClientSideView(this, settings_);
    // Names of art come from the patch's tiledata group before the client's.
    clientSide_->SetPatchTiledata([this](std::int32_t group) {
        const PatchBlock* block = document_.patch().LiveBlock(kTiledata, group);
        return block ? Bytes(block->bytes.begin(), block->bytes.end()) : Bytes{};
    });
    pictures_->addWidget(clientSide_, 1);
    connect(view_, &PictureView::Redrawn, this, [this] { clientSide_->SetScale(view_->Scale()); });
    // Fit fits both pictures to the room they share, at one scale.
    view_->SetFitPartner([this] { return clientSide_->FitNeeds(); });
    connect(clientSide_, &ClientSideView::FitChanged, view_, &PictureView::Refit);
    layout->addLayout(pictures_);
    player_ = new AnimPlayer(this, *view_, [this](std::int32_t n) {
        return document_.patch().LiveBlock(kAnim, n) != nullptr || clientSide_->Holds({kAnim, n});
    });
    // The client's animation plays in step with the patch's.
    connect(player_, &AnimPlayer::FrameShown, this, [this](std::size_t number) {
        clientSide_->ShowAnimFrame(number, BlockPicture{view_->Picture(), view_->Transparent(), {}});
    });
    layout->addWidget(player_);
    filler_ = new QWidget(this);
    layout->addWidget(filler_);
    Clear();
}

const QImage& InfoPanel::Picture() const {
    return view_->Picture().isNull() ? drawingView_->Picture() : view_->Picture();
}

void InfoPanel::Clear(bool again) {
    lblHeading_->clear();
    for (QLabel* l : lblInfo_) l->clear();
    lblFacts_->clear();
    lblProblem_->clear();
    view_->Clear();
    player_->Stop();
    for (QWidget* w : {static_cast<QWidget*>(lblFacts_), static_cast<QWidget*>(lblProblem_),
                       static_cast<QWidget*>(cmdPlay_), static_cast<QWidget*>(lblRefusal_),
                       static_cast<QWidget*>(cmdAddClientBlock_)})
        w->hide();
    drawingBar_->hide();
    lblDrawing_->hide();
    drawn_.reset();
    // Shown afresh, the drawing stays until the new one comes.
    if (again) return;
    drawingView_->Clear();
    drawer_->Cancel();
    PlaceTable(false);
    facts_->SetBlock(nullptr, std::nullopt);
    facts_->SetTable({});
    tableRow_->hide();
}

void InfoPanel::ShowTable(const FactTable& table) {
    facts_->SetTable(table);
    // Houses and statics show their table empty, for a row to be added.
    const bool shown = !table.rows.empty() || facts_->RowsVary();
    tableRow_->setVisible(shown);
    if (!shown) return;
    tblFacts_->resizeColumnsToContents();
    const int rows = std::clamp<int>(static_cast<int>(table.rows.size()), 1, kTableRows);
    tblFacts_->setMinimumHeight(tblFacts_->horizontalHeader()->sizeHint().height() +
                                rows * tblFacts_->verticalHeader()->defaultSectionSize() + 2 * tblFacts_->frameWidth());
    // The flags, swatches and typing start at the first row.
    if (!tblFacts_->currentIndex().isValid() && facts_->rowCount() > 0)
        tblFacts_->selectionModel()->setCurrentIndex(facts_->index(0, 0), QItemSelectionModel::NoUpdate);
    // A block of fields whose table cannot be edited says why.
    if (lblProblem_->text().isEmpty() && !facts_->ReadOnlyReason().isEmpty() && facts_->FieldOf(facts_->columnCount() - 1))
        ShowProblem(facts_->ReadOnlyReason().toStdString());
    UpdateRowEditors();
}

void InfoPanel::UpdateRowEditors() {
    const int row = tblFacts_->currentIndex().row();
    const bool editable = facts_->IsEditable() && row >= 0 && !tableRow_->isHidden();
    // Flags by name, as many as the layout's flags hold.
    const int flagsColumn = facts_->ColumnOf("flags");
    const BlockField* flags = flagsColumn >= 0 ? facts_->FieldOf(flagsColumn) : nullptr;
    const bool named = flags && flags->kind == FieldKind::kFlags;
    lstFlags_->setVisible(named);
    if (named) {
        const QSignalBlocker quiet(lstFlags_);
        const int bits = 8 * static_cast<int>(flags->width);
        while (lstFlags_->count() > bits) delete lstFlags_->takeItem(lstFlags_->count() - 1);
        while (lstFlags_->count() < bits) lstFlags_->addItem(QString::fromStdString(FlagName(lstFlags_->count())));
        const qulonglong value = row >= 0 ? facts_->index(row, flagsColumn).data().toString().toULongLong(nullptr, 0) : 0;
        for (int bit = 0; bit < bits; ++bit) {
            QListWidgetItem* item = lstFlags_->item(bit);
            item->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::ItemIsUserCheckable);
            item->setCheckState(value >> bit & 1 ? Qt::Checked : Qt::Unchecked);
        }
    }
    // A hue's 32 colours as swatches.
    const int colorsColumn = facts_->ColumnOf("colors");
    swatches_->setVisible(colorsColumn >= 0 && facts_->FieldOf(colorsColumn) && !tableRow_->isHidden());
    if (!swatches_->isHidden()) {
        const QStringList values = row >= 0 ? facts_->index(row, colorsColumn).data().toString().split(QLatin1Char(' '))
                                            : QStringList();
        for (std::size_t k = 0; k < cmdColors_.size(); ++k) {
            const int value = static_cast<qsizetype>(k) < values.size() ? values[static_cast<qsizetype>(k)].toInt() : 0;
            const std::int32_t rgb = Color16To32(value);
            cmdColors_[k]->setStyleSheet(QStringLiteral("background: rgb(%1, %2, %3); border: 1px solid gray;")
                                             .arg(rgb & 0xFF).arg(rgb >> 8 & 0xFF).arg(rgb >> 16 & 0xFF));
            cmdColors_[k]->setToolTip(QStringLiteral("Colour %1: %2").arg(k).arg(value));
            cmdColors_[k]->setEnabled(editable);
        }
    }
    rowButtons_->setVisible(facts_->RowsVary() && !tableRow_->isHidden());
    const int rows = facts_->rowCount();
    const bool current = facts_->RowsVary() && row >= 0;
    for (const auto& [name, enabled] : {std::pair("cmdRemoveRow", current), std::pair("cmdRowUp", current && row > 0),
                                        std::pair("cmdRowDown", current && row + 1 < rows)})
        rowButtons_->findChild<QPushButton*>(QString::fromLatin1(name))->setEnabled(enabled);
}

void InfoPanel::FlagToggled(QListWidgetItem* item) {
    const int row = tblFacts_->currentIndex().row(), column = facts_->ColumnOf("flags");
    if (row < 0 || column < 0) return;
    const QModelIndex cell = facts_->index(row, column);
    const qulonglong value = cell.data().toString().toULongLong(nullptr, 0) ^ (qulonglong{1} << lstFlags_->row(item));
    if (!facts_->SetCells({{cell, QStringLiteral("0x%1").arg(value, 0, 16)}}).isEmpty()) UpdateRowEditors();
}

void InfoPanel::ChooseColor(int k) {
    const int row = tblFacts_->currentIndex().row(), column = facts_->ColumnOf("colors");
    if (row < 0 || column < 0) return;
    const QModelIndex cell = facts_->index(row, column);
    QStringList values = cell.data().toString().split(QLatin1Char(' '));
    if (k >= values.size()) return;
    const std::int32_t rgb = Color16To32(values[k].toInt());
    const std::optional<QColor> chosen = CurrentPrompts().ChooseColor(
        this, QColor(rgb & 0xFF, rgb >> 8 & 0xFF, rgb >> 16 & 0xFF),
        QStringLiteral("Colour %1 of %2").arg(k).arg(facts_->index(row, 0).data().toString()));
    if (!chosen) return;
    values[k] = QString::number(Color32To16(chosen->red() + 256 * chosen->green() + 65536 * chosen->blue()));
    facts_->SetCells({{cell, values.join(QLatin1Char(' '))}});
}

void InfoPanel::RowCommand(int command) {
    const int row = tblFacts_->currentIndex().row(), column = std::max(0, tblFacts_->currentIndex().column());
    int selected = row;
    QString refused;
    switch (command) {
        case 0:
            selected = row >= 0 ? row + 1 : facts_->rowCount();
            refused = facts_->InsertRow(selected);
            break;
        case 1:
            refused = facts_->RemoveRow(row);
            selected = std::min(row, facts_->rowCount() - 1);
            break;
        default:
            selected = command == 2 ? row - 1 : row + 1;
            refused = facts_->MoveRow(row, selected);
            break;
    }
    if (!refused.isEmpty()) return;
    if (selected >= 0 && selected < facts_->rowCount()) tblFacts_->setCurrentIndex(facts_->index(selected, column));
    tblFacts_->setFocus();
}

void InfoPanel::ShowProblem(const std::string& problem) {
    lblProblem_->setText(QString::fromStdString(problem));
    lblProblem_->setVisible(!problem.empty());
}

void InfoPanel::ShowFacts(const BlockFacts& facts) {
    QStringList lines{QStringLiteral("<b>%1</b>").arg(QString::fromStdString(facts.heading).toHtmlEscaped())};
    for (const std::string& line : facts.lines) lines << QString::fromStdString(line).toHtmlEscaped();
    lblFacts_->setText(lines.join(QStringLiteral("<br>")));
    lblFacts_->show();
    ShowProblem(facts.problem);
    ShowTable(facts.table);
    if (const QImage picture = FactsPicture(facts); !picture.isNull()) view_->SetPicture(picture);
}

void InfoPanel::ShowPicture(const BlockPicture& picture) {
    if (!picture.problem.empty()) ShowProblem(picture.problem);
    if (!picture.image.isNull()) view_->SetPicture(picture.image, picture.transparent);
}

void InfoPanel::ShowNode(BlockId id, const QString& text) {
    const bool again = node_ == id && !clientOnly_;
    Clear(again);
    const Patch& patch = document_.patch();
    BlockInfo info;
    if (id.IsBlock()) {
        const PatchBlock* block = patch.LiveBlock(id.fileId, id.blockNumber);
        info = DescribeBlock(id.fileId, id.blockNumber, block);
        facts_->SetBlock(block ? &document_ : nullptr, id);
        if (block) Preview(id, *block);
    } else {
        info = DescribeFileType(text.toStdString(), patch[id.fileId]);
    }
    lblHeading_->setText(QString::fromStdString(info.heading));
    lblHeading_->setHidden(info.heading.empty());
    for (std::size_t i = 0; i < lblInfo_.size(); ++i) {
        lblInfo_[i]->setText(QString::fromStdString(info.lines[i]));
        lblInfo_[i]->setHidden(info.lines[i].empty());
    }
    node_ = id;
    clientOnly_ = false;
    // A table the node no longer has (a block removed, or no facts) goes.
    if (!facts_->IsEditable() && (!id.IsBlock() || !patch.LiveBlock(id.fileId, id.blockNumber))) ShowTable({});
    if (!drawn_) drawingView_->Clear();
    ShowClient();
    FitRows();
}

void InfoPanel::ShowClientBlock(BlockId id) {
    Clear();
    node_ = id;
    clientOnly_ = true;
    lblHeading_->setText(QString::fromStdString(DescribeBlock(id.fileId, id.blockNumber, nullptr).heading));
    lblHeading_->show();
    clientSide_->Show(id, {}, std::nullopt, view_->Scale(), false);
    const std::optional<PatchBlock>& client = clientSide_->ClientData();
    lblInfo_[0]->setText(client ? QStringLiteral("Not in the patch: the client's block is shown")
                                : QStringLiteral("Neither the patch nor the client holds this block"));
    lblInfo_[0]->show();
    cmdAddClientBlock_->setVisible(client.has_value());
    if (client) Preview(id, *client);
    if (facts_->rowCount() == 0) tableRow_->hide();
    FitRows();
}

// The client's block as the panel shows it, in the patch's form, as one step.
void InfoPanel::AddClientBlock() {
    const std::optional<PatchBlock>& client = clientSide_->ClientData();
    if (!clientOnly_ || !node_ || !client) return;
    const BlockId id = *node_;
    PatchEdit edit;
    edit.added.Append(id.fileId, id.blockNumber, client->bytes, client->flagA, client->flagB);
    if (document_.Run(QStringLiteral("Add to patch"), std::move(edit))) emit ClientBlockAdded(id);
}

void InfoPanel::FitRows() {
    // A hidden widget's stretch would still hold room.
    const bool table = !tableRow_->isHidden(), picture = !view_->Picture().isNull();
    const bool clientPicture = !clientSide_->Shown().isNull() || drawn_.has_value();
    view_->setVisible(picture);
    drawingView_->setVisible(drawn_.has_value());
    auto* layout = static_cast<QBoxLayout*>(this->layout());
    layout->setStretchFactor(tableRow_, table ? 2 : 0);
    layout->setStretchFactor(pictures_, picture || clientPicture ? 3 : 0);
    layout->setStretchFactor(filler_, table || picture || clientPicture ? 0 : 1);
}

void InfoPanel::ShowClientSide() {
    // Drawn afresh: the client folder may be another now (a block only the
    // client has is shown afresh whole).
    if (drawn_ && !clientOnly_) RequestDrawing(drawn_->first, Bytes(drawn_->second));
    ShowClient();
}

void InfoPanel::ShowClient() {
    if (!node_ || !node_->IsBlock()) {
        clientSide_->Clear();
        return;
    }
    // The client's block may differ now (another folder, or its verdata applied or not).
    if (clientOnly_) {
        ShowClientBlock(*node_);
        return;
    }
    const PatchBlock* block = document_.patch().LiveBlock(node_->fileId, node_->blockNumber);
    // The patch's picture the client's is set against: an animation's frame
    // the player shows.
    std::optional<BlockPicture> patch;
    if (!view_->Picture().isNull() && block) patch = BlockPicture{view_->Picture(), view_->Transparent(), {}};
    clientSide_->Show(*node_, block ? ByteView(block->bytes) : ByteView(), patch, view_->Scale());
    if (node_->fileId == kAnim) clientSide_->ShowAnimFrame(player_->FrameNumber(), patch);
    if (!player_->isHidden()) player_->UpdateSteps();
    // The table marks what differs from the client's block, read as the patch's is.
    if (facts_->rowCount() == 0 || clientSide_->isHidden() || settings_.ClientFolder.empty()) return;
    const std::optional<PatchBlock>& client = clientSide_->ClientData();
    const ByteView theirBytes = client ? ByteView(client->bytes) : ByteView();
    std::optional<BlockFacts> theirs = DescribeBlockData(node_->fileId, node_->blockNumber, theirBytes);
    if (node_->fileId == kMap) facts_->SetClientTable(client ? MapCellsTable(theirBytes) : FactTable{});
    else facts_->SetClientTable(theirs ? std::optional<FactTable>(std::move(theirs->table)) : FactTable{});
    // The cells that differ are bold, wider than when the columns were sized.
    tblFacts_->resizeColumnsToContents();
}

void InfoPanel::Preview(BlockId id, const PatchBlock& block) {
    switch (id.fileId) {
        case kAnim: ShowProblem(player_->Load(id.blockNumber, block.bytes)); break;
        case kMap:
            ShowPicture(PictureOfBlock(id, block, settings_.RadarColors));
            ShowTable(MapCellsTable(block.bytes));
            RequestDrawing(id, block.bytes);
            break;
        case kMultis:
            if (const auto facts = DescribeBlockData(id.fileId, id.blockNumber, block.bytes)) ShowFacts(*facts);
            PlaceTable(true);
            if (!chkComponents_->isChecked()) tableRow_->hide();
            UpdateRowEditors();
            RequestDrawing(id, block.bytes);
            break;
        case kArt:
        case kGumps: ShowPicture(PictureOfBlock(id, block, settings_.RadarColors)); break;
        case kFiles: ShowFacts(WholeFileFacts(id.blockNumber, block.bytes)); break;
        default:
            if (const auto facts = DescribeBlockData(id.fileId, id.blockNumber, block.bytes)) {
                ShowFacts(*facts);
                cmdPlay_->setVisible(id.fileId == kSound && block.bytes.size() >= kSoundHeaderSize);
            }
            break;
    }
}

void InfoPanel::RequestDrawing(BlockId id, ByteView bytes) {
    drawn_.emplace(id, Bytes(bytes.begin(), bytes.end()));
    drawingBar_->setVisible(id.fileId == kMultis);
    lblDrawing_->setText(QStringLiteral("Drawing from the art\u2026"));
    lblDrawing_->show();
    drawer_->Draw({id, drawn_->second, chkShowHidden_->isChecked(), settings_.ClientFolder, settings_.ClientVerdata,
                   std::make_shared<const PatchArtLayer>(document_.patch())});
}

void InfoPanel::PlaceTable(bool beside) {
    auto* main = static_cast<QBoxLayout*>(layout());
    if ((pictures_->indexOf(tableRow_) >= 0) == beside) return;
    main->removeWidget(tableRow_);
    pictures_->removeWidget(tableRow_);
    if (beside) pictures_->insertWidget(0, tableRow_, 2);
    else main->insertWidget(main->indexOf(swatches_), tableRow_);
}
