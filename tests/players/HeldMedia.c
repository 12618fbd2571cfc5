/* A GStreamer plug-in for tests, "lumivexheld": a media type of its own
 * and a decoder for it that holds its pipeline's teardown at a gate the
 * test keeps, as an engine that never lets go of a file does.
 *
 * A held file starts with the line "LUMIVEX-HELD-MEDIA" and names, on its
 * second line, a folder that holds two named pipes:
 *
 *   news   each line the decoder says: "open" once it has the file, "held"
 *          when its pipeline starts to stop (from PAUSED to READY), "let go"
 *          when it goes on stopping, "gone" when the pipeline is destroyed,
 *          and "static destructors" when the process runs the destructors
 *          of its libraries while a teardown is held. Lines nobody reads are
 *          dropped.
 *   gate   the teardown waits to open it for reading: it goes on while
 *          someone has it open for writing.
 *
 * The decoder hands nothing on: its file loads for as long as the test
 * likes. Loaded with gst_plugin_load_file, or found in GST_PLUGIN_PATH.
 */
#define PACKAGE "lumivex-tests"
#include <gst/gst.h>

#include <errno.h>
#include <fcntl.h>
#include <stdatomic.h>
#include <string.h>
#include <unistd.h>

#define HELD_MAGIC "LUMIVEX-HELD-MEDIA\n"
#define HELD_CAPS "application/x-lumivex-held"

typedef struct {
    GstElement parent;
    GstPad* sink;
    GstPad* src;
    gchar* folder;
} HeldDecoder;

typedef struct {
    GstElementClass parent_class;
} HeldDecoderClass;

GType held_decoder_get_type(void);
G_DEFINE_TYPE(HeldDecoder, held_decoder, GST_TYPE_ELEMENT)

static GstStaticPadTemplate sinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS(HELD_CAPS));
static GstStaticPadTemplate srcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-raw"));

/* The folder of the teardowns held now, for the process's end. */
G_LOCK_DEFINE_STATIC(heldFolder);
static gchar* heldFolder;
static atomic_int holding;

static void tell(const char* folder, const char* line)
{
    gchar* path = g_build_filename(folder, "news", NULL);
    const int fd = open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    g_free(path);
    if (fd < 0)
        return;
    gchar* text = g_strconcat(line, "\n", NULL);
    if (write(fd, text, strlen(text)) < 0) {
        /* nobody reads */
    }
    g_free(text);
    close(fd);
}

static void waitAtGate(const char* folder)
{
    gchar* path = g_build_filename(folder, "gate", NULL);
    int fd;
    while ((fd = open(path, O_RDONLY | O_CLOEXEC)) < 0 && errno == EINTR) {
    }
    if (fd >= 0)
        close(fd);
    g_free(path);
}

static GstFlowReturn held_chain(GstPad* pad, GstObject* parent, GstBuffer* buffer)
{
    (void)pad;
    HeldDecoder* self = (HeldDecoder*)parent;
    if (!self->folder) {
        GstMapInfo map;
        if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            const gsize magic = strlen(HELD_MAGIC);
            if (map.size > magic && memcmp(map.data, HELD_MAGIC, magic) == 0) {
                const char* name = (const char*)map.data + magic;
                const char* end = memchr(name, '\n', map.size - magic);
                if (end)
                    self->folder = g_strndup(name, end - name);
            }
            gst_buffer_unmap(buffer, &map);
        }
        if (self->folder)
            tell(self->folder, "open");
    }
    gst_buffer_unref(buffer);
    return GST_FLOW_OK;
}

static gboolean held_event(GstPad* pad, GstObject* parent, GstEvent* event)
{
    (void)pad;
    (void)parent;
    gst_event_unref(event); /* caps never come: the file keeps loading */
    return TRUE;
}

static GstStateChangeReturn held_change_state(GstElement* element, GstStateChange transition)
{
    HeldDecoder* self = (HeldDecoder*)element;
    if (transition == GST_STATE_CHANGE_PAUSED_TO_READY && self->folder) {
        G_LOCK(heldFolder);
        if (!heldFolder)
            heldFolder = g_strdup(self->folder);
        G_UNLOCK(heldFolder);
        atomic_fetch_add(&holding, 1);
        tell(self->folder, "held");
        waitAtGate(self->folder);
        atomic_fetch_sub(&holding, 1);
        tell(self->folder, "let go");
    }
    return GST_ELEMENT_CLASS(held_decoder_parent_class)->change_state(element, transition);
}

static void held_finalize(GObject* object)
{
    HeldDecoder* self = (HeldDecoder*)object;
    if (self->folder)
        tell(self->folder, "gone");
    g_free(self->folder);
    G_OBJECT_CLASS(held_decoder_parent_class)->finalize(object);
}

static void held_decoder_class_init(HeldDecoderClass* klass)
{
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    G_OBJECT_CLASS(klass)->finalize = held_finalize;
    element->change_state = held_change_state;
    gst_element_class_add_static_pad_template(element, &sinkTemplate);
    gst_element_class_add_static_pad_template(element, &srcTemplate);
    gst_element_class_set_static_metadata(element, "Held media decoder", "Codec/Decoder/Video",
                                          "Holds its pipeline's teardown at a test's gate", "Lumivex tests");
}

static void held_decoder_init(HeldDecoder* self)
{
    self->sink = gst_pad_new_from_static_template(&sinkTemplate, "sink");
    gst_pad_set_chain_function(self->sink, held_chain);
    gst_pad_set_event_function(self->sink, held_event);
    gst_element_add_pad(GST_ELEMENT(self), self->sink);
    self->src = gst_pad_new_from_static_template(&srcTemplate, "src");
    gst_element_add_pad(GST_ELEMENT(self), self->src);
}

static void held_typefind(GstTypeFind* find, gpointer data)
{
    (void)data;
    const guint8* start = gst_type_find_peek(find, 0, strlen(HELD_MAGIC));
    if (start && memcmp(start, HELD_MAGIC, strlen(HELD_MAGIC)) == 0) {
        GstCaps* caps = gst_caps_from_string(HELD_CAPS);
        gst_type_find_suggest(find, GST_TYPE_FIND_MAXIMUM, caps);
        gst_caps_unref(caps);
    }
}

static gboolean plugin_init(GstPlugin* plugin)
{
    GstCaps* caps = gst_caps_from_string(HELD_CAPS);
    const gboolean typefinder =
        gst_type_find_register(plugin, "lumivexheld_typefind", GST_RANK_PRIMARY, held_typefind, NULL, caps, NULL, NULL);
    gst_caps_unref(caps);
    return typefinder &&
           gst_element_register(plugin, "lumivexhelddec", GST_RANK_PRIMARY, held_decoder_get_type());
}

/* The process runs its libraries' destructors: say so when a teardown is
 * held meanwhile, that is, beside a thread still inside the engine. */
__attribute__((destructor)) static void atUnload(void)
{
    if (atomic_load(&holding) > 0 && heldFolder)
        tell(heldFolder, "static destructors");
}

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, lumivexheld, "Media whose teardown a test holds",
                  plugin_init, "1.0", "LGPL", "lumivex-tests", "https://lumivex.invalid/")
