// The scene table (see scenes.h).
#include "scenes/scenes.h"

#include "core/rand.h"
#include "core/screen.h"
#include "core/sync.h"
#include "render/tables.h"

#include "scenes/scene0.h"
#include "scenes/scene1.h"
#include "scenes/scene2.h"
#include "scenes/scene3.h"
#include "scenes/scene4.h"
#include "scenes/scene5.h"
#include "scenes/scene6.h"
#include "scenes/scene7.h"

const std::array<SceneOps, kSceneCount>& scene_table() {
    static const std::array<SceneOps, kSceneCount> table = {{
        {scene0_setup, scene0_render, scene0_release},
        {scene1_setup, scene1_render, scene1_release},
        {scene2_setup, scene2_render, scene2_release},
        {scene3_setup, scene3_render, scene3_release},
        {scene4_setup, scene4_render, scene4_release},
        {scene5_setup, scene5_render, scene5_release},
        {scene6_setup, scene6_render, scene6_release},
        {scene7_setup, scene7_render, scene7_release},
    }};
    return table;
}

void set_up_scenes() {
    screen_width = kFrameWidth;
    screen_height = kFrameHeight;
    set_up_tables_and_scenes(scene_table());
}
