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
  EXPECT_TRUE(store.Names().empty());
  ASSERT_EQ(store.Save("Zeta", *parsed.profile), "");
  ASSERT_EQ(store.Save("Alpha", *parsed.profile), "");
  folder.write("profiles/notes.txt", "x");
  folder.write("profiles/.hidden.profile", "x");
  folder.mkdir("profiles/Folder.profile");
  EXPECT_EQ(store.Names(), (std::vector<std::string>{"Alpha", "Zeta"}));
  EXPECT_EQ(store.Load("Alpha").profile, parsed.profile);
  EXPECT_EQ(store.Remove("Zeta"), "");
  EXPECT_NE(store.Remove("Zeta"), "");
  EXPECT_EQ(store.Names(), (std::vector<std::string>{"Alpha"}));
  EXPECT_FALSE(ProfileStore("").Load("Alpha").profile);  // no folder known: nothing is read or written
  EXPECT_NE(ProfileStore("").Save("Alpha", *parsed.profile), "");
}

}  // namespace
}  // namespace krax
