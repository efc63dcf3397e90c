# The product's colours, shared by every picture so that icon, toolbar, list and button agree.

AMBER = (255, 200, 15)  # the status banner
AMBER_LIGHT = (255, 222, 92)
AMBER_DARK = (226, 150, 0)
AMBER_EDGE = (176, 112, 0)

NAVY = (30, 48, 84)
NAVY_LIGHT = (64, 92, 140)
STEEL = (52, 101, 164)
STEEL_LIGHT = (114, 159, 216)
SKY = (214, 230, 248)
GLASS = (240, 247, 255)

RED = (214, 46, 46)
RED_LIGHT = (240, 96, 88)
RED_DARK = (160, 24, 24)

INK = (38, 42, 50)
PAPER = (255, 255, 255)
PAPER_SHADE = (232, 236, 242)
PAPER_EDGE = (120, 132, 150)
LINE = (150, 164, 184)

WHITE = (255, 255, 255)

# Keys and system greys the loaders treat specially.
MAGENTA = (255, 0, 255)  # transparent colour of the list icons and of the animation
FACE_GREY = (192, 192, 192)  # becomes the button face when the toolbar strip is loaded
SHADOW_GREY = (128, 128, 128)  # becomes the 3-D shadow colour: keep out of the toolbar art
LIGHT_GREY = (223, 223, 223)  # becomes the 3-D light colour: keep out of the toolbar art

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
SANS = FONT_DIR + "DejaVuSans.ttf"
SANS_BOLD = FONT_DIR + "DejaVuSans-Bold.ttf"
SANS_CONDENSED_BOLD = FONT_DIR + "DejaVuSansCondensed-Bold.ttf"
