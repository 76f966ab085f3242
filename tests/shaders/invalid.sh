// invalid.sh - a pixel stage that does not compile, for the build tool's test.
#include "device.glsl"

#ifdef VERTEX_SHADER
void main()
{
    gl_Position = vec4(0.0);
}
#endif

#ifdef PIXEL_SHADER
out vec4 color;

void main()
{
    color = undeclared_value;
}
#endif
