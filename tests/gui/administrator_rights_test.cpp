// A hosts file the user may not write (the system's, owned by the
// administrator): the writable toggle asks once for administrator rights, the
// list stays writable while the helper writes, and a refusal makes it
// read-only again without ending the program.

#include "editor_fixture.h"

#include "fake_privileged_writer.h"
#include "vendrel/hosts_table_view.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

const std::string twoLines = "127.0.0.1 localhost\r\n0.0.0.0 ads.example\r\n";
const QString question = u"Vendrel needs administrator rights to change the hosts file."_s;

class AdministratorRightsTest : public EditorFixture {
protected:
    testing_support::FakePrivilegedWriter writer{system.hostsPath()};

    void SetUp() override
    {
        writeHosts(twoLines);
        system.setAttributesDirectly(hostsPath(), platform::ReadOnly);
        system.refuseAttributeChanges = true; // as for a file the administrator owns
        system.privilegedWriter = &writer;
    }
    HostsTableView* list() const { return w().hostsList; }
    void clickToggle() { QTest::mouseClick(w().writableToggle, Qt::LeftButton); }
    QString lastMessage() const { return prompter.shown().empty() ? QString() : prompter.shown().back().text; }
};

TEST_F(AdministratorRightsTest, OneAuthorisationKeepsTheListWritableWhileTheHelperWrites)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(window->hostsReadOnly());
    prompter.answer(true);
    clickToggle();
    EXPECT_EQ(lastMessage(), question);
    EXPECT_EQ(writer.authorisations, 1);
    EXPECT_FALSE(window->hostsReadOnly());
    EXPECT_EQ(w().writableToggle->text(), u"Make Hosts ReadOnly?"_s);

    list()->selectRow(1);
    m().toggleComment->trigger();
    m().toggleComment->trigger();
    EXPECT_EQ(writer.writes, 2);
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n0.0.0.0\tads.example\r\n");
    EXPECT_FALSE(window->hostsReadOnly()) << "the file is still read-only for the user, the list is not";
    EXPECT_EQ(writer.authorisations, 1) << "asked once";

    clickToggle();
    EXPECT_TRUE(window->hostsReadOnly());
    EXPECT_EQ(w().writableToggle->text(), u"Make Hosts Writable?"_s);
}

TEST_F(AdministratorRightsTest, IsOfferedWhenTheAttributeChangeReportsSuccessButTheFileStaysReadOnly)
{
    system.refuseAttributeChanges = false;
    system.attributeChangesHaveNoEffect = true;
    ASSERT_TRUE(start());
    prompter.answer(true);
    clickToggle();
    EXPECT_EQ(lastMessage(), question);
    EXPECT_FALSE(window->hostsReadOnly());
}

TEST_F(AdministratorRightsTest, CancelOrARefusedPasswordLeavesTheListReadOnly)
{
    ASSERT_TRUE(start());
    prompter.answer(false);
    clickToggle();
    EXPECT_EQ(writer.authorisations, 0);
    EXPECT_TRUE(window->hostsReadOnly());

    writer.grantsAuthorisation = false;
    prompter.answer(true); // the question
    prompter.answer(true); // the refusal
    clickToggle();
    EXPECT_EQ(writer.authorisations, 1);
    EXPECT_TRUE(lastMessage().contains(u"stays read-only"_s)) << lastMessage().toStdString();
    EXPECT_TRUE(window->hostsReadOnly());
    EXPECT_FALSE(endedWith.has_value());
}

TEST_F(AdministratorRightsTest, AWriteRefusedLaterMakesTheListReadOnlyAgainAndChangesNothing)
{
    ASSERT_TRUE(start());
    prompter.answer(true);
    clickToggle();
    writer.grantsAuthorisation = false; // the kept authorisation ran out and the password was refused
    prompter.answer(true);
    list()->selectRow(1);
    m().toggleComment->trigger();
    EXPECT_TRUE(lastMessage().endsWith(u"The list is read-only again."_s)) << lastMessage().toStdString();
    EXPECT_EQ(hostsOnDisk(), twoLines);
    EXPECT_TRUE(window->hostsReadOnly());
    EXPECT_EQ(cell(1, 0), "0.0.0.0") << "the rows show the file as it is";
    EXPECT_FALSE(endedWith.has_value());
}

} // namespace
