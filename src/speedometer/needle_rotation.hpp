#pragma once
// Turning the host's quad, which is how the needle follows the speed.

// Turns the four vertices of the host's quad about (pivot_x, pivot_y),
// clockwise on the screen, by the angle in degrees rounded up to the next
// whole degree (modulo 360). Only x and y change. Call it between filling the
// quad and rendering it. An angle that is not finite leaves the quad's
// geometry unturned.
void rotate_quad(float pivot_x, float pivot_y, float angle);
