// The error lines of the title objects' fatal reports (block 5120-5189). A failed star-file
// operation reports the star layer's program code; a record whose contents are not what the
// object needs reports program code 0 with the line that names what was wrong.
#pragma once

#include <cstdint>

namespace lw {

inline constexpr std::int16_t kObjectProgramCode = 0;

namespace errline {
inline constexpr std::int16_t kStageFileOpen = 5120;        // the star file does not open
inline constexpr std::int16_t kStageHeaderLoad = 5121;      // record 0 does not load
inline constexpr std::int16_t kStageHeaderCorrupt = 5122;   // record 0 does not read as a header
inline constexpr std::int16_t kStageSize = 5123;            // width or height not 512 x 384
inline constexpr std::int16_t kStageNoFlats = 5124;         // a stage without a flat
inline constexpr std::int16_t kStageHeaderRelease = 5125;   // record 0 does not release
inline constexpr std::int16_t kFlatPictureLoad = 5126;      // a flat's picture does not load
inline constexpr std::int16_t kFlatPictureDecode = 5127;    // a flat's picture does not decode
inline constexpr std::int16_t kButtonRecordLoad = 5128;     // a flat's button record does not load
inline constexpr std::int16_t kButtonRecordCorrupt = 5129;  // nor read as buttons
inline constexpr std::int16_t kStagePaletteLoad = 5130;     // the stage's palette does not load
inline constexpr std::int16_t kSetFileOpen = 5131;          // a set's star file does not open
inline constexpr std::int16_t kSetHeaderLoad = 5132;        // its record 0 does not load
inline constexpr std::int16_t kSetHeaderCorrupt = 5133;     // nor read as a set header
inline constexpr std::int16_t kSetHeaderZero = 5134;        // header offset 28 or 52 holds 0
inline constexpr std::int16_t kSetMovesLoad = 5135;         // the move table does not load
inline constexpr std::int16_t kSetMovesCorrupt = 5136;      // nor read as moves
inline constexpr std::int16_t kSetStarsLoad = 5137;         // the star record does not load
inline constexpr std::int16_t kSetStarsCorrupt = 5138;      // nor read as star links
inline constexpr std::int16_t kSceneEntryWrite = 5139;      // a scene entry is not written back
inline constexpr std::int16_t kPathLoad = 5140;             // a path record does not load
inline constexpr std::int16_t kPathCorrupt = 5141;          // nor read as a path
inline constexpr std::int16_t kPathOverrun = 5142;  // a walk passes the last segment of its path
// Casts and shops (figures): the same faults for their records.
inline constexpr std::int16_t kGroupFileOpen = 5150;        // a cast or shop file does not open
inline constexpr std::int16_t kGroupHeaderLoad = 5151;      // its record 0 does not load
inline constexpr std::int16_t kGroupHeaderCorrupt = 5152;   // nor read as a group header
inline constexpr std::int16_t kFigureRecordLoad = 5153;     // an actor or prop record does not load
inline constexpr std::int16_t kFigureRecordCorrupt = 5154;  // nor read as a figure
inline constexpr std::int16_t kPoseRecordLoad = 5155;       // a pose record does not load
inline constexpr std::int16_t kPoseRecordCorrupt = 5156;    // nor read as a pose
inline constexpr std::int16_t kFigurePictureLoad = 5157;    // a picture being warmed does not load
inline constexpr std::int16_t kFigureRecordRelease = 5158;  // a kept record does not release
// Track files: the same faults for their header and sounds.
inline constexpr std::int16_t kTrackFileOpen = 5160;       // a track file does not open
inline constexpr std::int16_t kTrackHeaderLoad = 5161;     // its record 0 does not load
inline constexpr std::int16_t kTrackHeaderCorrupt = 5162;  // nor read as a track header
inline constexpr std::int16_t kTrackHeaderRelease = 5163;  // nor release
// Puppet files: the same faults for their records, layer images and lines.
inline constexpr std::int16_t kPuppetFileOpen = 5170;       // a puppet file does not open
inline constexpr std::int16_t kPuppetRecordLoad = 5171;     // one of records 0 to 3 does not load
inline constexpr std::int16_t kPuppetRecordCorrupt = 5172;  // nor read as header or lists
inline constexpr std::int16_t kPuppetLayersCorrupt = 5173;  // layer counts wrong or not adding up
inline constexpr std::int16_t kPuppetPictureSize = 5174;    // a picture other than 512 x 264
inline constexpr std::int16_t kPuppetImageLoad = 5175;      // a layer image does not load
inline constexpr std::int16_t kPuppetImageCorrupt = 5176;   // nor read as a picture
inline constexpr std::int16_t kPuppetRecordRelease = 5177;  // a kept record does not release
inline constexpr std::int16_t kPuppetFramesLoad = 5178;     // a line's lip-sync frames do not load
inline constexpr std::int16_t kPuppetFramesCorrupt = 5179;  // nor fit their count
inline constexpr std::int16_t kPuppetPictureDraw = 5180;    // a layer or band picture fails to draw
// The preload of view pictures while the player stands: a picture that does not load or release.
inline constexpr std::int16_t kPreloadGet = 5106;
inline constexpr std::int16_t kPreloadRelease = 5107;
}  // namespace errline

}  // namespace lw
