#include "FirstScene.h"

#include <GL/gl.h>        // Required for: the light
#include <X11/keysym.h>   // Required for: XK_Up and the other arrow keys

#include "core/TAV_Engine.h"             // Required for: exit() on Escape
#include "geometry/TAV_ObjectData.h"
#include "geometry/TAV_ObjectFactory.h"  // Required for: the octahedron and the cube
#include "image/TAV_ImageData.h"
#include "image/TAV_Texture.h"
#include "io/TAV_IO_Keyboard.h"
#include "scene/TAV_Material.h"
#include "scene/TAV_Object.h"

namespace {

// Keys that type a character arrive as that character; the others as their X keysym.
const int KEY_ESCAPE = 27;

const float CAMERA_SPEED_PER_S = 2.0f;
const float CUBE_TURN_X_DEG_PER_S = 20.0f;
const float CUBE_TURN_Y_DEG_PER_S = 45.0f;

// A 64x64 checkerboard of 16-pixel squares, painted in memory: no file needed.
TAV_Texture* newCheckerTexture()
{
    const int sizePx = 64;
    const int squarePx = 16;
    TAV_ImageData* image = new TAV_ImageData(sizePx, sizePx, 3);
    for (int y = 0; y < sizePx; ++y) {
        for (int x = 0; x < sizePx; ++x) {
            const bool light = (x / squarePx + y / squarePx) % 2 == 0;
            unsigned char* pixel = image->m_data + (y * sizePx + x) * 3;
            pixel[0] = light ? 240 : 50;
            pixel[1] = light ? 170 : 40;
            pixel[2] = light ? 60 : 70;
        }
    }
    return new TAV_Texture(image);  // uploads the image and deletes it
}

}  // namespace

//------------------------------------------------------------------------------------
// Initialization
//------------------------------------------------------------------------------------
FirstScene::FirstScene()
    : m_renderer(2)
{
    // Two passes: the first fills the depth buffer, the second shades only the surface
    // nearest to the eye at each pixel.
    m_renderer.setPass(0, TAV_Renderer::PASS_DEPTH);
    m_renderer.setPass(1, TAV_Renderer::PASS_DEFAULT);

    // Meshes. Subdividing keeps the octahedron's shape but gives it more corners; vertex
    // normals then average the faces that meet at each corner, so light runs smoothly
    // over the edges.
    TAV_ObjectData* octahedron = TAV_ObjectFactory::createOktaederData(true, false);
    TAV_ObjectFactory::subdiv(octahedron, 2);
    octahedron->vertexNormals();
    octahedron->setName("octahedron");
    addObjectData(octahedron);

    TAV_ObjectData* box = TAV_ObjectFactory::createCubeData(true, true);
    box->setName("box");
    addObjectData(box);

    TAV_Texture* checker = newCheckerTexture();
    checker->setName("checker");
    addTexture(checker);

    // Materials: a shiny blue one and a matte white one that lets the texture show.
    TAV_Material* shiny = new TAV_Material();
    shiny->setName("shiny");
    shiny->enableLight(true);
    shiny->setMatAmbient(0.1f, 0.15f, 0.3f, 1.0f);
    shiny->setMatDiffuse(0.25f, 0.45f, 0.95f, 1.0f);
    shiny->setMatSpecular(1.0f, 1.0f, 1.0f, 1.0f);
    shiny->setMatShininess(40.0f);
    addMaterial(shiny);

    TAV_Material* matte = new TAV_Material();
    matte->setName("matte");
    matte->enableLight(true);
    matte->setMatDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
    addMaterial(matte);

    // Objects name their mesh, texture and material; the container resolves the names.
    TAV_Object* gem = new TAV_Object();
    gem->setDataName("octahedron");
    gem->setMaterialName("shiny");
    gem->setTranslate(-1.3f, 0.0f, 0.0f);
    gem->searchPointersForNames(this);
    addObject(gem);

    m_cube = new TAV_Object();
    m_cube->setDataName("box");
    m_cube->setTextureName("checker");
    m_cube->setMaterialName("matte");
    m_cube->setTranslate(1.3f, 0.0f, 0.0f);
    m_cube->searchPointersForNames(this);
    addObject(m_cube);

    m_camera.setPosition(0.0f, 1.0f, 5.0f);
    m_camera.setDirection(0.0f, -0.2f, -1.0f);

    glClearColor(0.08f, 0.09f, 0.12f, 1.0f);
    glEnable(GL_LIGHT0);
    TAV_IO_Keyboard::getInstance()->addListener(*this);
}

//------------------------------------------------------------------------------------
// Update
//------------------------------------------------------------------------------------
void FirstScene::update(int frameTimeMs)
{
    animate(frameTimeMs);
    draw();
}

void FirstScene::keyPressed(int code)
{
    switch (code) {
    case KEY_ESCAPE: TAV_Engine::getInstance()->exit(); break;
    case XK_Up: m_forwardHeld = true; break;
    case XK_Down: m_backHeld = true; break;
    case XK_Left: m_leftHeld = true; break;
    case XK_Right: m_rightHeld = true; break;
    }
}

// The engine turns key repeat off, so a held key is one press and one release.
void FirstScene::keyReleased(int code)
{
    switch (code) {
    case XK_Up: m_forwardHeld = false; break;
    case XK_Down: m_backHeld = false; break;
    case XK_Left: m_leftHeld = false; break;
    case XK_Right: m_rightHeld = false; break;
    }
}

void FirstScene::animate(int frameTimeMs)
{
    // Everything moves by the time passed, so the speed does not depend on the frame rate.
    const float seconds = float(frameTimeMs) / 1000.0f;
    const float step = CAMERA_SPEED_PER_S * seconds;
    if (m_forwardHeld)
        m_camera.move(step);
    if (m_backHeld)
        m_camera.move(-step);
    if (m_leftHeld)
        m_camera.strafe(step);
    if (m_rightHeld)
        m_camera.strafe(-step);
    m_cube->rotate(CUBE_TURN_X_DEG_PER_S * seconds, CUBE_TURN_Y_DEG_PER_S * seconds, 0.0f);
}

//------------------------------------------------------------------------------------
// Draw
//------------------------------------------------------------------------------------
void FirstScene::draw()
{
    // The root scene has cleared the frame and reset the model-view matrix: the view comes
    // first, then the light, whose position is taken in the coordinates current when it is
    // set (w = 0: a light from far away in that direction, fixed in the world).
    m_camera.look();
    const float lightDirection[4] = {-0.4f, 0.8f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
    m_renderer.renderContainer(this);
}

//------------------------------------------------------------------------------------
// De-Initialization
//------------------------------------------------------------------------------------
FirstScene::~FirstScene()
{
    // The container deletes the meshes, texture, materials and objects after this. The
    // keyboard is gone already when the engine itself ends a scene it never ran.
    if (TAV_IO_Keyboard::m_ioKeyboard)
        TAV_IO_Keyboard::m_ioKeyboard->removeListener(*this);
}
