// A profile: the game's state a player chose to keep under a name, which cars are enabled
// (each car folder by its path below GameData/CarModel) and which track is active in each of
// the nine slots. Stored as one small text file per profile:
//
//   KRAXManager profile 1
//   car on 0001
//   car off Imports/XR77
//   track 0 Original
//   track 3 Dustbowl Night
//
// Blank lines and lines starting with "#" are ignored; everything else must be one of these
// lines, and every slot must be named exactly once. A file that breaks a rule is damaged and
// is never used in part.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "gamedata/stock_tables.h"

namespace krax {

inline constexpr const char* kProfileHeader = "KRAXManager profile 1";
inline constexpr const char* kProfileExtension = ".profile";

struct Profile {
  std::map<std::string, bool> cars;                   // car folder ("/" separated) -> enabled
  std::array<std::string, kStockTrackSlotCount> tracks;  // active track per slot row
  bool operator==(const Profile&) const = default;
};

struct ProfileParse {
  std::optional<Profile> profile;
  std::string problem;  // "line 4: ..." when damaged
};

std::string SerializeProfile(const Profile& profile);
ProfileParse ParseProfile(const std::string& text);

// "" when the profile reads back exactly as it is (every car folder and track name can be
// written as a line), else why it cannot be saved. Save refuses such a profile.
std::string UnsavableProfileProblem(const Profile& profile);

// "" when `name` can name a profile, else why not (empty, too long, a path, a control
// character, or a character Windows forbids in file names).
std::string ProfileNameProblem(const std::string& name);

// The profiles of one folder.
class ProfileStore {
 public:
  explicit ProfileStore(std::string folder) : folder_(std::move(folder)) {}
  const std::string& folder() const { return folder_; }
  std::string FilePath(const std::string& name) const;

  // The names of the stored profiles, sorted.
  std::vector<std::string> Names() const;
  bool Exists(const std::string& name) const;
  // Reads and checks a profile; `problem` says why it cannot be used (missing, unreadable,
  // damaged).
  ProfileParse Load(const std::string& name) const;
  // Writes the profile completely or not at all; "" on success, else the problem.
  std::string Save(const std::string& name, const Profile& profile) const;
  std::string Remove(const std::string& name) const;

 private:
  std::string folder_;
};

}  // namespace krax
