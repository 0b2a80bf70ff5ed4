#pragma once

#include <QList>
#include <QString>
#include <optional>

// One record of the cut list: its id and the id of its parent when it was cut.
struct TCutEntry {
    QString Id;
    QString ParId;
    bool operator==(const TCutEntry&) const = default;
};

// The rules of the move workflow in one place: what may be cut, where a cut may go, when the
// actions are enabled, and the texts the operator reads. No widgets, no server.
class TMoveRules {
public:
    enum class Paste { AsSibling, AsChild };
    enum class CutFrom { Tree, Grid };

    static const QString ClassNotSupportedText;
    static const QString ProtectedText;
    static const QString DestinationInCutText;
    static const QString SameLevelText;
    static const QString SamePlaceText;

    // The franchise head store's goods: the first five characters are "99999".
    static bool IsProtectedId(const QString& id);

    // The refusal for cutting one node, empty when it may be cut. The tree asks about classes
    // first, the grid about protected ids first.
    static QString CutRefusal(CutFrom from, const QString& id, bool isClass, bool supportNotLeafNode);
    // True when id is one of the cut ids (ASCII letter case ignored).
    static bool DestinationInCut(const QString& id, const QList<TCutEntry>& cut);
    // The refusal for pasting the cut under the new parent id, in the order the checks run;
    // empty when the paste may go ahead.
    static QString PasteRefusal(Paste paste, const QString& newParId, const QList<TCutEntry>& cut);
    // The level a pasted record takes beside or below a destination of the given level.
    static int NewLevel(Paste paste, int destinationLevel);

    // Enabling, from the selected node's level (none when nothing is selected).
    static bool CanCut(std::optional<int> selectedLevel);
    static bool CanPaste(Paste paste, std::optional<int> selectedLevel, bool cutPending, int maxLevel);

    // Descriptions of a cut, from the paths of its first and last records.
    static QString TreeCutText(const QString& path);
    static QString MarkedCutText(const QString& firstPath, const QString& lastPath);
    static QString RangeCutText(const QString& firstPath, const QString& lastPath, int rows);
    static QString ConfirmCaption();
    static QString ConfirmText(Paste paste, const QString& cutText, const QString& destinationPath);
    static QString MovedCountText(int count);
};
