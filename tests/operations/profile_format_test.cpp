// The profile file as a person reads and edits it, and the folder of profiles.
#include <gtest/gtest.h>

#include "operations/profile.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

TEST(ProfileFormat, HandEditedFilesReadAndNamesAreChecked) {
  // Comments, blank lines, CR LF line ends and any order are fine; folders keep their spaces.
  std::string text = "KRAXManager profile 1\r\n# friday\r\n\r\ncar off Old Ones/XR77\r\n";
  for (int row = 8; row >= 0; --row) text += "track " + std::to_string(row) + (row == 3 ? " Dust bowl" : " Original") + "\r\n";
  text += "car on 0001\r\n";
  const ProfileParse parsed = ParseProfile(text);
  ASSERT_TRUE(parsed.profile) << parsed.problem;
  EXPECT_EQ(parsed.profile->cars, (std::map<std::string, bool>{{"0001", true}, {"Old Ones/XR77", false}}));
  EXPECT_EQ(parsed.profile->tracks[3], "Dust bowl");
  EXPECT_EQ(ParseProfile(SerializeProfile(*parsed.profile)).profile, parsed.profile);

  struct Name {
    const char* name;
    bool usable;
  };
  const Name names[] = {{"Friday night", true}, {"LAN 2026-12", true}, {"", false},       {"a/b", false},
                        {"a\\b", false},        {"con:", false},      {".hidden", false}, {"trailing ", false},
                        {"tab\there", false},   {"ends.", false}};
  for (const Name& n : names) EXPECT_EQ(ProfileNameProblem(n.name).empty(), n.usable) << n.name;

  // The store lists only usable names of ".profile" files, sorted, and deletes what it lists.
  test::ScratchFolder folder;
  const ProfileStore store(folder / "profiles");
  EXPECT_TRUE(store.names().empty());
  ASSERT_EQ(store.save("Zeta", *parsed.profile), "");
  ASSERT_EQ(store.save("Alpha", *parsed.profile), "");
  folder.write("profiles/notes.txt", "x");
  folder.write("profiles/.hidden.profile", "x");
  folder.mkdir("profiles/Folder.profile");
  EXPECT_EQ(store.names(), (std::vector<std::string>{"Alpha", "Zeta"}));
  EXPECT_EQ(store.load("Alpha").profile, parsed.profile);
  EXPECT_EQ(store.remove("Zeta"), "");
  EXPECT_NE(store.remove("Zeta"), "");
  EXPECT_EQ(store.names(), (std::vector<std::string>{"Alpha"}));
  EXPECT_FALSE(ProfileStore("").load("Alpha").profile);  // no folder known: nothing is read or written
  EXPECT_NE(ProfileStore("").save("Alpha", *parsed.profile), "");
}

}  // namespace
}  // namespace krax
