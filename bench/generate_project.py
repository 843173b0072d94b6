#!/usr/bin/env python3
"""Writes generated game content for timing rpgc, and the same content for flatc and protoc.

Usage:
  generate_project.py [--seed S] [--formats rpgc,json,txtpb] N FOLDER
  generate_project.py hostile-atoms BYTES FOLDER [LINES]
  generate_project.py hostile-tokens COUNT FOLDER

The first form writes a project of N objects (items, characters, quests, locations and
shops) and N / 10 string sections, in three shapes that hold the same information:

  FOLDER/duskvale.gdm, FOLDER/content*.txt   rpgc sources, about 5000 objects a file
  FOLDER/data.json                           FlatBuffers JSON for bench/content.fbs
  FOLDER/data.txtpb                          protobuf text for bench/content.proto

The content is clean: every reference and every character choice list names an object
of the project, every STR_ field names a string section that exists, lists have no
commas, single-value lines one value, and every END is followed by an empty line. The
output depends only on N and the seed; files are made in parallel, each from its own
random stream.

hostile-atoms writes FOLDER/hostile.txt: one generic object whose ATOMS line(s) hold
distinct names, BYTES bytes in all. hostile-tokens writes FOLDER/hostile.txt: one
generic object with an ATOMS line of COUNT one-byte values. Compile either with
`rpgc Hostile hostile.txt`.
"""
import argparse
import json
import multiprocessing
import os
import random
import sys

PER_FILE = 5000
STRINGS_EVERY = 10  # one string section after every tenth object

# Kinds of the 100 objects of each hundred, in a fixed order shuffled by the seed.
KIND_COUNTS = (("item", 40), ("character", 26), ("quest", 12), ("location", 12), ("shop", 10))

ADJECTIVES = ("Iron", "Rusty", "Ancient", "Gilded", "Cracked", "Blessed", "Cursed", "Silver",
              "Oaken", "Grim", "Bright", "Hollow", "Frost", "Ember", "Shadow", "Stout", "Elven",
              "Dwarven", "Worn", "Fine", "Masterwork", "Crude", "Runed", "Sunlit", "Mossy")
ITEM_NOUNS = {
    "weapon": ("Sword", "Longsword", "Dagger", "Axe", "Mace", "Spear", "Bow", "Crossbow",
               "Halberd", "Warhammer", "Sabre", "Flail"),
    "armour": ("Jerkin", "Hauberk", "Cuirass", "Brigandine", "Robe", "Gambeson"),
    "shield": ("Buckler", "Kite", "Pavise", "Targe"),
    "helmet": ("Helm", "Coif", "Barbute", "Hood"),
    "boots": ("Boots", "Greaves", "Sandals"),
    "gloves": ("Gloves", "Gauntlets", "Bracers"),
    "potion": ("Draught", "Elixir", "Tonic", "Philtre"),
    "food": ("Bread", "Cheese", "Stew", "Apple", "Jerky", "Mead"),
    "tool": ("Lantern", "Rope", "Pickaxe", "Lockpick", "Torch", "Compass"),
    "jewel": ("Ring", "Amulet", "Brooch", "Circlet"),
}
ITEM_TYPES = tuple(ITEM_NOUNS)
ITEM_CLASSES = {
    "weapon": ("sword", "axe", "mace", "spear", "bow", "dagger", "polearm"),
    "armour": ("light", "medium", "heavy"), "shield": ("small", "round", "tower"),
    "helmet": ("open", "closed"), "boots": ("light", "heavy"), "gloves": ("light", "heavy"),
    "potion": ("healing", "mana", "cure", "strength"), "food": ("ration", "treat", "drink"),
    "tool": ("light", "climbing", "mining", "thievery"), "jewel": ("ring", "neck", "head"),
}
MATERIALS = ("iron", "steel", "oak", "yew", "leather", "wool", "linen", "silver", "gold",
             "bronze", "bone", "glass", "mithril", "ash", "copper", "silk", "horn")
MOD_NAMES = ("Strength", "Dexterity", "Wits", "Defence", "BlockChance", "Speed", "Luck",
             "FireResistance", "ColdResistance", "PoisonResistance", "CriticalChance")
EFFECTS = ("glow", "burn", "freeze", "heal_small", "heal_large", "poison", "sparkle",
           "stun", "bleed", "silence")
DAMAGE_KINDS = ("slashing", "piercing", "crushing", "fire", "cold")
SLOTS = ("mainhand", "offhand", "bothhands", "body", "head", "feet", "hands", "neck",
         "finger", "belt", "pack")
RARITIES = ("common", "uncommon", "rare", "epic", "legendary")

FIRST_NAMES = ("Branna", "Ysolde", "Aldric", "Mireille", "Tobias", "Élodie", "Gunnar",
               "Ægir", "Sigrún", "Oswin", "Rowena", "Þorvald", "Isaura", "Kasimir", "Nell",
               "Bartholomew", "Ilse", "Corwin", "Maëlle", "Fenwick", "Dagny", "Ottoline")
LAST_NAMES = ("Smith", "Innkeeper", "Fletcher", "Miller", "Thatcher", "Underhill", "Ashdown",
              "Brightwater", "Kettleby", "Blackwood", "Ødegård", "Marsh", "Quill", "Varga")
MONSTERS = ("Wolf", "Bear", "Goblin", "Skeleton", "Wraith", "Troll", "Spider", "Bandit",
            "Ghoul", "Drake", "Boar", "Harpy", "Kobold", "Ogre")
PUPPETS = ("HumanTraveller", "HumanSmith", "HumanFarmer", "HumanInnkeeper", "HumanGuard",
           "Wolf", "Bear", "GoblinSmall", "SkeletonArcher", "Troll", "Spider", "Drake")
ROLES = ("villager", "guard", "merchant", "blacksmith", "innkeeper", "predator", "scavenger",
         "adventurer", "priest", "farmer", "hunter", "thief")
CLASSES = ("warrior", "ranger", "mage", "rogue", "cleric", "bard")
RANKS = ("novice", "adept", "veteran", "master", "champion")
ABILITIES = ("Swordplay", "Archery", "Tracking", "Bite", "Howl", "Stealth", "Haggling",
             "Smithing", "Firebolt", "Healing", "Shieldwall", "Lockpicking", "Swimming")
TRAITS = ("pack", "nocturnal", "brave", "cowardly", "greedy", "loyal", "undead", "flying",
          "venomous", "armoured", "swift")
VOICES = ("gruff", "warm", "shrill", "deep", "whispery", "booming", "nasal")
CONDITIONS = ("always", "dry", "raining", "festival", "night", "day")
WAYPT_ROLES = ("working", "selling", "drinking", "sleeping", "patrolling", "praying")
SPOTS = ("Anvil", "MarketStall", "Hearth", "Bar", "Gate", "Well", "Altar", "Bed", "Bench")
QUEST_VERBS = ("Find", "Rescue", "Slay", "Deliver", "Guard", "Recover", "Escort", "Explore",
               "Cleanse", "Investigate")
QUEST_NOUNS = ("Lantern", "Shipment", "Heir", "Relic", "Caravan", "Shrine", "Letter",
               "Wolves", "Crypt", "Orchard", "Bridge", "Ledger")
STAGES = ("talk", "search", "fight", "return", "escort", "deliver", "wait", "sneak", "choose")
PLACE_ADJECTIVES = ("Dusk", "Raven", "Amber", "Willow", "Stone", "Misty", "Golden", "Thorn",
                    "Cold", "Silent", "Öster", "Brín")
PLACES = ("vale", "ford", "Square", "Inn", "Forge", "Den", "Hollow", "Keep", "Mill", "Crossing",
          "Barrow", "Market", "Chapel", "Harbour")
AMBIENCE = ("birdsong", "chatter", "hearth", "wind", "howling", "hammering", "bellows",
            "water", "bells", "crickets", "rain", "silence")
SHOP_KINDS = ("Counter", "Stall", "Emporium", "Armoury", "Apothecary", "Larder", "Trinkets")
TEXT_WORDS = ("the", "a", "old", "sword", "road", "north", "of", "and", "gleams", "under",
              "moon", "traveller", "café", "naïve", "déjà", "vu", "Straße", "Ærø", "fjörð",
              "smells", "of", "beeswax", "iron", "“welcome”", "—", "coin", "is", "two", "copper",
              "wine", "five", "mind", "the", "step", "stew", "hot", "Élodie", "swears", "by",
              "it", "wolves", "at", "night", "keep", "to", "lantern", "light", "über", "façade")
STRING_SUFFIXES = ("Desc", "Name", "Title", "Journal", "Sign", "Greeting", "Lore")


def build_kind_table(seed):
    table = [kind for kind, count in KIND_COUNTS for _ in range(count)]
    random.Random(f"{seed}:kinds").shuffle(table)
    return table


def mix(i, seed):
    """A well-mixed 64-bit hash of an index, for names that any file can compute."""
    h = (i * 0x9E3779B97F4A7C15 + seed * 0xBF58476D1CE4E5B9) & 0xFFFFFFFFFFFFFFFF
    h ^= h >> 31
    h = (h * 0x94D049BB133111EB) & 0xFFFFFFFFFFFFFFFF
    return h ^ (h >> 29)


def pick(words, h, shift):
    return words[(h >> shift) % len(words)]


class Names:
    """Object and string section names by index; the same in every worker."""

    def __init__(self, count, seed):
        self.count = count
        self.seed = seed
        self.kinds = build_kind_table(seed)
        self.slots = {kind: [s for s, k in enumerate(self.kinds) if k == kind]
                      for kind, _ in KIND_COUNTS}
        self.string_count = max(1, count // STRINGS_EVERY)

    def kind(self, i):
        return self.kinds[i % 100]

    def item_type(self, i):
        return pick(ITEM_TYPES, mix(i, self.seed), 3)

    def object(self, i):
        h = mix(i, self.seed)
        kind = self.kinds[i % 100]
        if kind == "item":
            noun = pick(ITEM_NOUNS[pick(ITEM_TYPES, h, 3)], h, 11)
            if h % 3:
                return f"{pick(ADJECTIVES, h, 17)}{noun}{i}"
            return f"{pick(ADJECTIVES, h, 17)}{pick(MATERIALS, h, 23).title()}{noun}{i}"
        if kind == "character":
            if h % 5 < 2:
                return f"{pick(ADJECTIVES, h, 7)}{pick(MONSTERS, h, 13)}{i}"
            return f"{pick(FIRST_NAMES, h, 7)}{pick(LAST_NAMES, h, 13)}{i}"
        if kind == "quest":
            return f"{pick(QUEST_VERBS, h, 7)}The{pick(QUEST_NOUNS, h, 13)}{i}"
        if kind == "location":
            return f"{pick(PLACE_ADJECTIVES, h, 7)}{pick(PLACES, h, 13)}{i}"
        return f"{pick(FIRST_NAMES, h, 7)}s{pick(SHOP_KINDS, h, 13)}{i}"

    def string(self, k):
        h = mix(k + 0x5151, self.seed)
        return f"{pick(ADJECTIVES, h, 5)}{pick(STRING_SUFFIXES, h, 11)}{k}"

    def random_object(self, rng, kind, near, item_types=None):
        """An object of kind (an item of one of item_types), mostly near index near:
        content refers to its neighbours more than to the far end of the world."""
        blocks = (self.count + 99) // 100
        slots = self.slots[kind]
        tries = 0
        while True:
            if rng.random() < 0.7:
                block = min(blocks - 1, max(0, near // 100 + rng.randint(-20, 20)))
            else:
                block = rng.randrange(blocks)
            i = block * 100 + rng.choice(slots)
            if i >= self.count:
                continue
            tries += 1
            if item_types is None or self.item_type(i) in item_types or tries > 40:
                return self.object(i)

    def random_string(self, rng):
        return self.string(rng.randrange(self.string_count))


def decimal(rng, low, high, places):
    """A number with up to `places` decimals, written as a designer would."""
    text = f"{rng.uniform(low, high):.{places}f}"
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return "0" if text == "-0" else text


class Obj:
    """One object: its rpgc lines and the fields of its JSON and protobuf forms."""

    def __init__(self, kind, name, header_type):
        self.kind = kind  # item, character or generic
        self.name = name
        self.header_type = header_type
        self.lines = []
        self.fixed = []  # (field key, value kind "s"/"ls"/"i"/"li"/"f"/"lf"/"enum", values)
        self.props = {}  # property list key -> [entries]

    def line(self, type_word, name, values):
        self.lines.append(f"{type_word} {name} = {' '.join(values)}")

    def field(self, type_word, name, key, kind, values):
        self.line(type_word, name, values)
        self.fixed.append((key, kind, values))

    def prop(self, type_word, name, values):
        """A typed property (generic objects and characters)."""
        self.line(type_word, name, values)
        key = TYPED_KEYS[type_word]
        self.props.setdefault(key, []).append((name, values if type_word.endswith("S") else
                                               values[:1]))

    def item_range(self, name, low, high=None):
        values = [low] if high is None else [low, "to", high]
        self.line("FLOAT", name, values)
        self.props.setdefault("ranges", []).append((name, [low, high or low]))

    def item_pair(self, type_word, name, value):
        self.line(type_word, name, [value])
        key = "atoms" if type_word == "ATOM" else "references"
        self.props.setdefault(key, []).append((name, [value]))


TYPED_KEYS = {"INTEGER": "integers", "FLOAT": "floats", "ATOM": "atoms",
              "REFERENCE": "references", "INTEGERS": "integer_lists",
              "FLOATS": "float_lists", "ATOMS": "atom_lists", "REFERENCES": "reference_lists"}
NUMBER_KEYS = {"integers", "floats", "integer_lists", "float_lists", "ranges"}


def sample(rng, words, low, high):
    return rng.sample(words, rng.randint(low, min(high, len(words))))


def make_item(names, rng, i):
    item_type = names.item_type(i)
    o = Obj("item", names.object(i), "item")
    o.field("ATOM", "Type", "item_type", "s", [item_type])
    o.field("ATOM", "Class", "item_class", "s", [rng.choice(ITEM_CLASSES[item_type])])
    o.field("ATOMS", "STR_Desc", "str_desc", "ls",
            [names.random_string(rng) for _ in range(1 if rng.random() < 0.8 else 2)])
    if rng.random() < 0.8:
        o.field("ATOMS", "Materials", "materials", "ls", sample(rng, MATERIALS, 1, 4))
    if rng.random() < 0.35:
        mods = sample(rng, MOD_NAMES, 1, 3)
        o.field("ATOMS", "ModNames", "mod_names", "ls", mods)
        o.field("FLOATS", "ModFactors", "mod_factors", "lf",
                [decimal(rng, 0.5, 1.5, 2) for _ in mods])
    if rng.random() < 0.1:
        o.field("ATOMS", "EffectMacro_0", "effect_macro_0", "ls", sample(rng, EFFECTS, 1, 3))
        if rng.random() < 0.5:
            o.field("ATOMS", "EffectMacro_1", "effect_macro_1", "ls", sample(rng, EFFECTS, 1, 2))
    if item_type == "weapon":
        low = rng.randint(1, 12)
        o.item_range("Damage", str(low), str(low + rng.randint(2, 14)))
        o.item_pair("ATOM", "DamageKind", rng.choice(DAMAGE_KINDS))
        if rng.random() < 0.3:
            o.item_range("Range", str(rng.randint(5, 30)), str(rng.randint(35, 120)))
    elif item_type in ("armour", "shield", "helmet", "boots", "gloves"):
        low = rng.randint(1, 6)
        o.item_range("Protection", str(low), str(low + rng.randint(0, 5)))
    o.item_range("Weight", decimal(rng, 0.1, 25, 2))
    o.item_range("Price", str(rng.randint(1, 5000)))
    o.item_pair("ATOM", "Slot", rng.choice(SLOTS))
    if rng.random() < 0.5:
        o.item_pair("ATOM", "Rarity", rng.choice(RARITIES))
    if rng.random() < 0.4:
        o.item_pair("ATOM", "Icon", f"icon_{item_type}_{rng.randint(0, 400)}")
    if rng.random() < 0.5:
        o.item_pair("REFERENCE", "Maker", names.random_object(rng, "character", i))
    return o


CHARACTER_TYPES = ("player", "monster", "crowd")
# Field, key, how often a character has it, the item types it names.
EQUIPMENT = (("WeaponChoice", "weapon_choice", 0.6, ("weapon",)),
             ("ArmourChoice", "armour_choice", 0.5, ("armour",)),
             ("ShieldChoice", "shield_choice", 0.25, ("shield",)),
             ("HelmetChoice", "helmet_choice", 0.3, ("helmet",)),
             ("BootsChoice", "boots_choice", 0.3, ("boots",)),
             ("GlovesChoice", "gloves_choice", 0.2, ("gloves",)),
             ("EquipmentChoice", "equipment_choice", 0.2, ("tool", "jewel")),
             ("InventoryChoice", "inventory_choice", 0.5, ("potion", "food", "tool")),
             ("InventoryBonus", "inventory_bonus", 0.15, ("potion", "food")))


def make_character(names, rng, i):
    o = Obj("character", names.object(i), "character")
    roll = rng.random()
    char_type = ("player" if roll < 0.01 else "monster" if roll < 0.4 else
                 "crowd" if roll < 0.5 else None)
    if char_type:
        o.field("ATOM", "Type", "type", "enum", [char_type])
    o.field("ATOM", "Puppet", "puppet", "s", [rng.choice(PUPPETS)])
    o.field("ATOM", "Role", "role", "s", [rng.choice(ROLES)])
    if char_type in ("player", None) and rng.random() < 0.3:
        o.field("ATOMS", "ClassChoice", "class_choice", "ls", sample(rng, CLASSES, 1, 2))
        o.field("ATOMS", "RankChoice", "rank_choice", "ls", sample(rng, RANKS, 1, 2))
    for field, key, chance, types in EQUIPMENT:
        if rng.random() < chance:
            o.field("ATOMS", field, key, "ls", [names.random_object(rng, "item", i, types)
                                                for _ in range(rng.randint(1, 3))])
    abilities = sample(rng, ABILITIES, 0, 4)
    if abilities:
        o.field("ATOMS", "AbilityChoice", "ability_choice", "ls", abilities)
        o.field("INTEGERS", "AbilityLevel", "ability_level", "li",
                [str(rng.randint(1, 5)) for _ in abilities])
        o.field("FLOATS", "AbilityProficiency", "ability_proficiency", "lf",
                [decimal(rng, 0, 1, 2) for _ in abilities])
    if char_type is None and rng.random() < 0.6:
        stops = rng.randint(1, 4)
        o.field("ATOMS", "WayptLocations", "waypt_locations", "ls",
                [names.random_object(rng, "location", i) for _ in range(stops)])
        o.field("ATOMS", "WayptConditions", "waypt_conditions", "ls",
                [rng.choice(CONDITIONS) for _ in range(stops)])
        o.field("INTEGERS", "WayptTimeFlags", "waypt_time_flags", "li",
                [str(rng.randint(1, 15)) for _ in range(stops)])
        o.field("ATOMS", "WayptRoles", "waypt_roles", "ls",
                [rng.choice(WAYPT_ROLES) for _ in range(stops)])
        o.field("ATOMS", "WayptSpots", "waypt_spots", "ls",
                [rng.choice(SPOTS) for _ in range(stops)])
    if char_type == "crowd":
        low = rng.randint(1, 4)
        o.field("INTEGER", "CrowdMin", "crowd_min", "i", [str(low)])
        o.field("INTEGER", "CrowdMax", "crowd_max", "i", [str(low + rng.randint(0, 8))])
        o.field("ATOMS", "CrowdMembers", "crowd_members", "ls",
                [names.random_object(rng, "character", i) for _ in range(rng.randint(1, 5))])
    if rng.random() < 0.5:
        o.prop("ATOM", "STR_Name", [names.random_string(rng)])
    o.prop("INTEGER", "Health", [str(rng.randint(4, 400))])
    o.prop("FLOAT", "WalkSpeed", [decimal(rng, 0.5, 3, 2)])
    o.prop("INTEGERS", "Stats", [str(rng.randint(3, 20)) for _ in range(3)])
    if rng.random() < 0.5:
        o.prop("ATOMS", "Traits", sample(rng, TRAITS, 1, 3))
    if rng.random() < 0.3:
        o.prop("FLOATS", "Resistances", [decimal(rng, -0.5, 1, 2) for _ in range(3)])
    if rng.random() < 0.6:
        o.prop("ATOM", "Voice", [rng.choice(VOICES)])
    if rng.random() < 0.5:
        o.prop("REFERENCE", "Home", [names.random_object(rng, "location", i)])
    if rng.random() < 0.3:
        o.prop("REFERENCES", "Friends",
               [names.random_object(rng, "character", i) for _ in range(rng.randint(1, 4))])
    return o


def make_quest(names, rng, i):
    o = Obj("generic", names.object(i), "quest")
    o.prop("ATOM", "STR_Title", [names.random_string(rng)])
    o.prop("ATOM", "STR_Journal", [names.random_string(rng)])
    o.prop("REFERENCE", "Giver", [names.random_object(rng, "character", i)])
    o.prop("REFERENCE", "Location", [names.random_object(rng, "location", i)])
    stages = [rng.choice(STAGES) for _ in range(rng.randint(2, 7))]
    o.prop("ATOMS", "Stages", stages)
    o.prop("INTEGERS", "StageFlags", [str(rng.randint(0, 255)) for _ in stages])
    o.prop("INTEGER", "RewardCopper", [str(rng.randint(5, 2000))])
    o.prop("INTEGER", "Experience", [str(rng.randint(10, 5000))])
    o.prop("FLOAT", "Difficulty", [decimal(rng, 0.5, 10, 1)])
    if rng.random() < 0.6:
        o.prop("REFERENCES", "RewardItems",
               [names.random_object(rng, "item", i) for _ in range(rng.randint(1, 3))])
    if rng.random() < 0.4:
        o.prop("REFERENCES", "Targets",
               [names.random_object(rng, "character", i) for _ in range(rng.randint(1, 5))])
    return o


def make_location(names, rng, i):
    o = Obj("generic", names.object(i), "location")
    o.prop("ATOM", "STR_Name", [names.random_string(rng)])
    o.prop("FLOATS", "Position", [decimal(rng, -5000, 5000, 2) for _ in range(3)])
    o.prop("INTEGER", "DangerLevel", [str(rng.randint(0, 9))])
    o.prop("ATOMS", "Ambience", sample(rng, AMBIENCE, 1, 3))
    if rng.random() < 0.4:
        o.prop("REFERENCE", "Owner", [names.random_object(rng, "character", i)])
    o.prop("REFERENCES", "Exits",
           [names.random_object(rng, "location", i) for _ in range(rng.randint(1, 4))])
    if rng.random() < 0.3:
        o.prop("REFERENCES", "Spawns",
               [names.random_object(rng, "character", i) for _ in range(rng.randint(1, 6))])
    return o


def make_shop(names, rng, i):
    o = Obj("generic", names.object(i), "shop")
    o.prop("ATOM", "STR_Sign", [names.random_string(rng)])
    o.prop("REFERENCE", "Owner", [names.random_object(rng, "character", i)])
    o.prop("REFERENCE", "Location", [names.random_object(rng, "location", i)])
    stock = [names.random_object(rng, "item", i) for _ in range(rng.randint(2, 12))]
    o.prop("REFERENCES", "Stock", stock)
    o.prop("INTEGERS", "StockCount", [str(rng.randint(1, 40)) for _ in stock])
    o.prop("FLOAT", "PriceFactor", [decimal(rng, 0.8, 1.6, 2)])
    o.prop("FLOAT", "BuyBackFactor", [decimal(rng, 0.1, 0.6, 2)])
    o.prop("FLOATS", "OpeningHours", [decimal(rng, 5, 10, 1), decimal(rng, 17, 24, 1)])
    return o


MAKERS = {"item": make_item, "character": make_character, "quest": make_quest,
          "location": make_location, "shop": make_shop}


def make_string(names, rng, k):
    texts = []
    for _ in range(rng.randint(1, 4)):
        words = [rng.choice(TEXT_WORDS) for _ in range(rng.randint(3, 22))]
        words[0] = words[0].capitalize()
        if rng.random() < 0.3:
            words[rng.randrange(len(words))] += ","
        texts.append(" ".join(words) + rng.choice((".", ".", "!", "?", "…")))
    return names.string(k), rng.random() < 0.2, texts


# Rendering. JSON and protobuf text get the same values as the sources, as the same
# decimal text for numbers, so that all three compile to the same information.

def js(text):
    return json.dumps(text, ensure_ascii=False)


def pb(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def rpgc_object(o):
    return f"BEGIN {o.header_type} {o.name}\n" + "\n".join(o.lines) + "\nEND\n\n"


def rpgc_string(name, random_flag, texts):
    head = f"STRING {name} RANDOM\n" if random_flag else f"STRING {name}\n"
    # Blanks around texts fold away; an indented text reads like one that is not.
    return head + "".join(("  " if len(t) % 3 == 0 else "") + t + "\n" for t in texts) + "END\n\n"


def value_json(values, numeric):
    return "[" + ",".join(values if numeric else map(js, values)) + "]"


def json_props(o, parts):
    for key, entries in o.props.items():
        items = []
        for name, values in entries:
            if key == "ranges":
                items.append(f'{{"name":{js(name)},"min":{values[0]},"max":{values[1]}}}')
            elif key.endswith("_lists"):
                numeric = key in NUMBER_KEYS
                items.append(f'{{"name":{js(name)},"values":'
                             f'{value_json(values, numeric)}}}')
            else:
                value = values[0] if key in NUMBER_KEYS else js(values[0])
                items.append(f'{{"name":{js(name)},"value":{value}}}')
        parts.append(f'"{key}":[{",".join(items)}]')


JSON_KINDS = {"item": "Item", "character": "Character", "generic": "Generic"}


def json_object(o):
    parts = [f'"name":{js(o.name)}']
    if o.kind == "generic":
        parts.append(f'"type":{js(o.header_type)}')
    for key, kind, values in o.fixed:
        if kind == "enum":
            parts.append(f'"{key}":"{values[0].capitalize()}"')
        elif kind == "s":
            parts.append(f'"{key}":{js(values[0])}')
        elif kind == "i":
            parts.append(f'"{key}":{values[0]}')
        else:
            parts.append(f'"{key}":{value_json(values, kind != "ls")}')
    json_props(o, parts)
    return f'{{"kind_type":"{JSON_KINDS[o.kind]}","kind":{{{",".join(parts)}}}}}'


def json_string(name, random_flag, texts):
    flag = ',"random":true' if random_flag else ""
    return f'{{"name":{js(name)}{flag},"texts":[{",".join(map(js, texts))}]}}'


def pb_props(o, parts):
    for key, entries in o.props.items():
        for name, values in entries:
            if key == "ranges":
                parts.append(f"{key} {{ name: {pb(name)} min: {values[0]} max: {values[1]} }}")
            elif key.endswith("_lists"):
                shown = values if key in NUMBER_KEYS else map(pb, values)
                parts.append(f"{key} {{ name: {pb(name)} values: [{', '.join(shown)}] }}")
            else:
                value = values[0] if key in NUMBER_KEYS else pb(values[0])
                parts.append(f"{key} {{ name: {pb(name)} value: {value} }}")


def pb_object(o):
    parts = [f"name: {pb(o.name)}"]
    if o.kind == "generic":
        parts.append(f"type: {pb(o.header_type)}")
    for key, kind, values in o.fixed:
        if kind == "enum":
            parts.append(f"{key}: {values[0].upper()}")
        elif kind == "s":
            parts.append(f"{key}: {pb(values[0])}")
        elif kind == "i":
            parts.append(f"{key}: {values[0]}")
        else:
            shown = map(pb, values) if kind == "ls" else values
            parts.append(f"{key}: [{', '.join(shown)}]")
    pb_props(o, parts)
    return f"objects {{ {o.kind} {{ {' '.join(parts)} }} }}\n"


def pb_string(name, random_flag, texts):
    flag = " random: true" if random_flag else ""
    shown = ", ".join(map(pb, texts))
    return f"strings {{ name: {pb(name)}{flag} texts: [{shown}] }}\n"


def make_file(task):
    """The three renderings of one source file's objects and string sections."""
    count, seed, file_index, formats = task
    names = Names(count, seed)
    rng = random.Random(f"{seed}:{file_index}")
    source, json_objects, json_strings, txtpb = [], [], [], []
    first = file_index * PER_FILE
    for i in range(first, min(count, first + PER_FILE)):
        o = MAKERS[names.kind(i)](names, rng, i)
        source.append(rpgc_object(o))
        if "json" in formats:
            json_objects.append(json_object(o))
        if "txtpb" in formats:
            txtpb.append(pb_object(o))
        if i % STRINGS_EVERY == STRINGS_EVERY - 1 or count < STRINGS_EVERY and i == 0:
            s = make_string(names, rng, i // STRINGS_EVERY)
            source.append(rpgc_string(*s))
            if "json" in formats:
                json_strings.append(json_string(*s))
            if "txtpb" in formats:
                txtpb.append(pb_string(*s))
    return ("; generated content\n\n" + "".join(source),
            ",\n".join(json_objects), ",\n".join(json_strings), "".join(txtpb))


def write_project(count, folder, seed, formats):
    os.makedirs(folder, exist_ok=True)
    files = [f"content{k:04d}.txt" for k in range((count + PER_FILE - 1) // PER_FILE)]
    tasks = [(count, seed, k, formats) for k in range(len(files))]
    json_out = open(os.path.join(folder, "data.json"), "w") if "json" in formats else None
    pb_out = open(os.path.join(folder, "data.txtpb"), "w") if "txtpb" in formats else None
    strings = []
    if json_out:
        json_out.write('{"project":"Generated","version":1.0,\n"objects":[\n')
    if pb_out:
        pb_out.write('project: "Generated"\nversion: 1.0\n')
    workers = min(len(tasks), os.cpu_count() or 1)
    with multiprocessing.Pool(workers) as pool:
        for k, (source, objs, strs, txtpb) in enumerate(pool.imap(make_file, tasks)):
            with open(os.path.join(folder, files[k]), "w") as out:
                out.write(source)
            if json_out:
                json_out.write((",\n" if k else "") + objs)
                if strs:
                    strings.append(strs)
            if pb_out:
                pb_out.write(txtpb)
    if json_out:
        json_out.write('\n],\n"strings":[\n' + ",\n".join(strings) + "\n]}\n")
        json_out.close()
    if pb_out:
        pb_out.close()
    with open(os.path.join(folder, "duskvale.gdm"), "w") as out:
        out.write("Generated\n1.0\ngenerated\n" + "\n".join(files) + "\n")


def write_hostile_atoms(size, folder, lines):
    """One object whose ATOMS lines hold distinct names, size bytes in all."""
    os.makedirs(folder, exist_ok=True)
    per_line = size // lines
    k = 0
    with open(os.path.join(folder, "hostile.txt"), "w") as out:
        out.write("BEGIN quest Hostile\n")
        for line in range(lines):
            out.write(f"ATOMS Names{line} =")
            written = 0
            while written < per_line:
                chunk = "".join(f" n{j:x}" for j in range(k, k + 100000))
                k += 100000
                out.write(chunk)
                written += len(chunk)
            out.write("\n")
        out.write("END\n\n")
    return k


def write_hostile_tokens(count, folder):
    """One object with an ATOMS line of count one-byte values."""
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "hostile.txt"), "w") as out:
        out.write("BEGIN quest Hostile\nATOMS M =")
        for start in range(0, count, 1000000):
            out.write(" x" * min(1000000, count - start))
        out.write("\nEND\n\n")


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "hostile-atoms":
        lines = int(sys.argv[4]) if len(sys.argv) > 4 else 1
        write_hostile_atoms(int(sys.argv[2]), sys.argv[3], lines)
        return
    if len(sys.argv) > 1 and sys.argv[1] == "hostile-tokens":
        write_hostile_tokens(int(sys.argv[2]), sys.argv[3])
        return
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--formats", default="rpgc,json,txtpb",
                        help="comma-separated: rpgc (always written), json, txtpb")
    parser.add_argument("count", type=int)
    parser.add_argument("folder")
    args = parser.parse_args()
    write_project(args.count, args.folder, args.seed, set(args.formats.split(",")))


if __name__ == "__main__":
    main()
