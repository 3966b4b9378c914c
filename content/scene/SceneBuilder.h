#pragma once

#include <map>
#include <string>
#include <vector>

#include "content/ArchiveFolder.h"
#include "engine/core/Ptr.h"
#include "engine/render/Texture.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"

namespace ynx::content {

// Puts the garden together from the meshes and the media archive's
// pictures and saves it as the show's scene, "Main.STR". The pictures must
// be in the folder already: the scene names them, and the images it holds
// are read back from there so that loading finds them by the same names.
class SceneBuilder {
 public:
  explicit SceneBuilder(ArchiveFolder& media) : media(media) {}

  // False when a picture is missing or the scene cannot be saved.
  bool Make();

 private:
  // Toward the moon, and what its light makes of a matte white surface
  // whose normal is `facing` (the cosine) toward it: the lit effects'
  // ambient plus diffuse.
  Vector3 ToMoon() const;
  Color Moonlit(float facing) const;
  // One texture per picture, shared by every effect that shows it.
  Texture* TextureOf(const std::string& name);
  // The grey height map, turned into a normal map (with the height as
  // alpha for parallax) when the scene first runs.
  Texture* NormalMapOf(const std::string& heightName, bool withAlpha);

  // Places `mesh` under `parent` at `at`, turned `yaw` radians about +y,
  // renamed so that every node has a name of its own.
  Triangles* Place(SceneNode* parent, const Ptr<Triangles>& mesh, const std::string& name, const Vector3& at,
                   float yaw);

  void AddSky(SceneNode* root);
  // The lawn under `garden` where the casters of `casters` can throw
  // shadow, the rest under `film`.
  void AddGround(SceneNode* film, SceneNode* garden, const std::vector<Triangles*>& casters);
  // The bed goes into `film`, ahead of the garden; the water into the garden.
  void AddPond(SceneNode* film, SceneNode* garden);
  void AddBridge(SceneNode* garden);
  void AddLanterns(SceneNode* standing);
  // Rocks into `standing`, the flat path stones into the garden.
  void AddStones(SceneNode* standing, SceneNode* garden);
  // Stalks and trunk into `standing`, the cut-out leaves and grass into
  // `foliage`.
  void AddPlants(SceneNode* standing, SceneNode* foliage);
  // The moon's shadow map over the garden group, cast by `casters`.
  void AddShadows(SceneNode* garden, const std::vector<Triangles*>& casters);

  ArchiveFolder& media;
  std::map<std::string, Ptr<Texture>> textures;
  Ptr<Light> moon;
  bool failed = false;
};

}  // namespace ynx::content
