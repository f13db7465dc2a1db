// kraxctl picture: saves the picture the details form shows from a car's archive as PNG.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "archive/png_encode.h"
#include "cli/command.h"
#include "cli/context.h"
#include "cli/item_arguments.h"
#include "gamedata/car_picture.h"
#include "gamedata/game_data.h"
#include "platform/file_system.h"
#include "platform/output_file.h"

namespace krax::cli {
namespace {

int RunPicture(Context& context, const Arguments& arguments) {
  const std::vector<std::string>& args = arguments.words;
  if (args.size() != 2) throw UsageError("picture: expected SLOT|ID OUT.png");
  const std::optional<GameCar> car = RequireCarArgument(context, args[0]);
  if (!car) return kExitFailure;
  GameData& game = *car->game;
  const std::string& archive = game.cars[car->slot].archivePath;
  const std::optional<RgbaImage> image = ReadArchivePicture(archive);
  if (!image) {
    context.err << "kraxctl: the archive " << archive << " holds no picture that can be shown\n";
    return kExitFailure;
  }
  const std::string png = EncodePng(image->width, image->height, image->pixels.data());
  if (png.empty()) {
    context.err << "kraxctl: could not make a PNG of the picture\n";
    return kExitFailure;
  }
  if (const FsResult written = WriteFileAtomic(args[1], png); !written) {
    context.err << "kraxctl: could not write " << args[1] << ": " << OutputFailureText(args[1], written) << '\n';
    return kExitFailure;
  }
  context.out << "Wrote " << args[1] << " (" << image->width << "x" << image->height << ")\n";
  return kExitOk;
}

const RegisterCommand kPicture({"picture",
                                "save the picture inside a car's archive as PNG",
                                {{"SLOT|ID OUT.png"}},
                                "Writes the first picture inside the car's archive - the front-end images\n"
                                "\"fedata.fsh\", else a texture entry ending in \".tga\" - as a PNG file.\n"
                                "Fails (exit 1) when the archive holds no picture that can be decoded.\n",
                                {},
                                RunPicture});

}  // namespace
}  // namespace krax::cli
