// What the editor offers in each state of its window: the hosts file writable
// or read-only, and the window idle, downloading, or in Memopad or Whitelist mode.

#include "editor_fixture.h"

#include "local_http_server.h"
#include "vendrel/hosts_table_model.h"

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>

#include <set>

using namespace vendrel::gui; // the editor's classes

namespace {

using Names = std::set<std::string>;

enum class Started { Nothing, Download, Memopad, Whitelist };

// Whether the user can choose `action`: it and every menu on the way to it are enabled.
bool reachable(const QAction* action)
{
    for (QObject* holder : action->associatedObjects())
        if (const auto* menu = qobject_cast<const QMenu*>(holder); menu && !reachable(menu->menuAction()))
            return false;
    return action->isEnabled();
}

class WindowStateTest : public EditorFixture {
protected:
    testing_support::LocalHttpServer server;

    void SetUp() override
    {
        writeHosts("127.0.0.1 localhost\r\n0.0.0.0 ads.example\r\n");
        // Slow enough that every check is done while the download still waits for its body; closing the
        // window ends it.
        testing_support::LocalHttpServer::Response slow{200, "not yet"};
        slow.stallMilliseconds = 3000;
        server.serve("/winhelp2002/hosts.zip", slow);
        downloadHost = server.hostAndPort();
    }

    void begin(Started what)
    {
        if (what == Started::Download) {
            prompter.answer(true);
            m().mvpsMerge->trigger();
        } else if (what == Started::Memopad) {
            m().openInMemopad->trigger();
        } else if (what == Started::Whitelist) {
            m().viewEditWhitelist->trigger();
        }
    }
    // In Memopad and Whitelist mode the toggle lies under the text area; its
    // click stands for any reload of the file's attributes there.
    void toggleReadOnly() { w().writableToggle->click(); }

    // The menu items, panels and cell editing that the state governs and the user can use now, and the
    // writable toggle's caption.
    Names offered() const
    {
        Names names = {w().writableToggle->text().toStdString()};
        for (const QAction* item :
             {m().appendFile, m().replaceFile, m().mergeFile, m().exit, m().recovery->menuAction(),
              m().edit->menuAction(), m().openInMemopad, m().saveSubmenu->menuAction(), m().exitMemopad,
              m().mvpsSubmenu->menuAction(), m().hphostsSubmenu->menuAction(), m().cancelDownload,
              m().removeWhitelistItems, m().addWhitelistItems, m().viewEditWhitelist, m().saveAndExitWhitelist,
              m().exitWhitelist})
            if (reachable(item))
                names.insert(item->text().remove(u'&').toStdString());
        for (const QGroupBox* panel : {w().editingTools, w().backupAndRestore, w().fileHandling})
            if (panel->isEnabled())
                names.insert(panel->title().toStdString());
        if (w().widenButton->isEnabled())
            names.insert("widen");
        if (window->model().flags(window->model().index(0, 1)) & Qt::ItemIsEditable)
            names.insert("cell editing");
        return names;
    }
};

// What the user can use in each state: "Exit" and the toggle always; the rest only while writable.
const Names readOnly = {"Exit", "Make Hosts Writable?"};
const Names editing = {"Exit",  "Make Hosts ReadOnly?", "Editing Tools", "Backup and Restore", "File Handling",
                       "widen", "cell editing"};
Names editingAnd(Names names)
{
    names.insert(editing.begin(), editing.end());
    return names;
}
const Names writableIdle = editingAnd({"Append File", "Replace File", "Merge File", "Recovery", "Edit",
                                       "Open in Memopad", "MVPs Hosts", "hpHOSTS", "Remove Whitelist Items",
                                       "Add Whitelist Items", "View/Edit Whitelist"});
const Names writableDownloading = editingAnd({"Cancel Download"});
const Names writableMemopad = editingAnd({"Save...", "Exit Memopad"});
const Names writableWhitelist = editingAnd({"Save and Exit Whitelist", "Exit Whitelist"});

TEST_F(WindowStateTest, MakingTheFileReadOnlyAndWritableAgainDuringADownloadKeepsItsMenusShut)
{
    ASSERT_TRUE(start());
    begin(Started::Download);
    toggleReadOnly();
    toggleReadOnly();
    EXPECT_EQ(offered(), writableDownloading);
    m().cancelDownload->trigger();
    EXPECT_EQ(offered(), writableIdle);
}

TEST_F(WindowStateTest, EachStateOffersWhatBothItsAccessAndItsModeAllow)
{
    const struct {
        const char* state;
        Started started;
        int readOnlyToggles;
        Names offered;
    } rows[] = {
        {"writable, idle", Started::Nothing, 0, writableIdle},
        {"read-only, idle", Started::Nothing, 1, readOnly},
        {"writable, downloading", Started::Download, 0, writableDownloading},
        {"read-only, downloading", Started::Download, 1, readOnly},
        {"writable, Memopad", Started::Memopad, 0, writableMemopad},
        {"read-only, Memopad", Started::Memopad, 1, readOnly},
        {"writable again, Memopad", Started::Memopad, 2, writableMemopad},
        {"writable, Whitelist", Started::Whitelist, 0, writableWhitelist},
        {"read-only, Whitelist", Started::Whitelist, 1, readOnly},
        {"writable again, Whitelist", Started::Whitelist, 2, writableWhitelist},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.state);
        system.setAttributesDirectly(hostsPath(), 0);
        ASSERT_TRUE(start());
        begin(row.started);
        for (int toggle = 0; toggle < row.readOnlyToggles; ++toggle)
            toggleReadOnly();
        EXPECT_EQ(offered(), row.offered);
    }
}

} // namespace
